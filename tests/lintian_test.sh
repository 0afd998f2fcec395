#!/bin/sh
# Builds the Debian package into a scratch directory and fails on any lintian error or warning.
# Lintian unpacks what it checks, so as root it runs as nobody, which also keeps its output free
# of its warning about root; from the scratch directory, since nobody may not enter the build.
# Usage: lintian_test.sh CPACK BUILD_DIR VERSION
set -eu
cpack=$1
build=$2
version=$3

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
deb="$tmp/quorel_${version}_$(dpkg --print-architecture).deb"

as_user=""
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$tmp"
  as_user="setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=$tmp"
fi
cd "$tmp"
if ! $as_user lintian --fail-on error,warning --display-info "$deb"; then
  echo "FAIL: lintian found errors or warnings in $(basename "$deb")"
  exit 1
fi
echo "lintian: $(basename "$deb") has no error or warning"
