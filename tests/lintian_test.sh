#!/bin/sh
# Fails on any lintian error or warning in the Debian package. Lintian unpacks what it checks,
# so as root it runs as nobody, which also keeps its output free of its warning about root; on a
# copy in a scratch directory, since nobody may not enter the build.
# Usage: lintian_test.sh DEB_DIR VERSION [ARCH]   (ARCH: the machine's unless given)
set -eu
built="$1/quorel_${2}_${3:-$(dpkg --print-architecture)}.deb"
[ -f "$built" ] || { echo "FAIL: no $built"; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
deb="$tmp/$(basename "$built")"
cp "$built" "$deb"

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
