#!/bin/sh
# Installs the Debian packages Quorel needs to build, test and run, when any is missing.
set -eu

packages="g++ cmake make pkg-config libfreetype-dev libfontconfig-dev fonts-liberation2 \
libgtest-dev libbenchmark-dev qt6-base-dev fonts-ipafont-gothic \
clang libclang-rt-14-dev valgrind xvfb xauth \
desktop-file-utils appstream dpkg-dev file qt6-base-private-dev"

missing=""
for p in $packages; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=""
elif command -v sudo >/dev/null 2>&1; then
  sudo="sudo"
else
  echo "setup: missing packages:$missing; install them as root (apt-get install$missing)" >&2
  exit 1
fi

echo "setup: installing$missing"
if ! { $sudo apt-get update -qq &&
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing; } >/tmp/quorel-setup.log 2>&1; then
  echo "setup: could not install$missing (see /tmp/quorel-setup.log)" >&2
  exit 1
fi
