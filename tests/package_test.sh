#!/bin/sh
# Checks the Debian package as `apt-get install` would get it: the control fields, the installed
# tree, and that the desktop entry, the metainfo and the icons find one another there.
# Usage: package_test.sh DEB_DIR VERSION [ARCH]   (ARCH: the machine's unless given)
set -eu
deb="$1/quorel_${2}_${3:-$(dpkg --print-architecture)}.deb"
version=$2

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

[ -f "$deb" ] || { echo "FAIL: no $deb"; exit 1; }

[ "$(dpkg-deb -f "$deb" Package)" = quorel ] || fail "Package is not quorel"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6gui6 libqt6core6 libfreetype6 libfontconfig1 libstdc++6 \
  fonts-liberation2 fonts-ipafont-gothic; do
  case ", $depends," in
    *", $p "* | *", $p,"*) ;;
    *) fail "Depends lacks $p: $depends" ;;
  esac
done
recommends=$(dpkg-deb -f "$deb" Recommends)
[ "$recommends" = qt6-wayland ] || fail "Recommends is not qt6-wayland: $recommends"
description=$(dpkg-deb -f "$deb" Description)
for v in "file version 0.2.0.0" "product version 0.02"; do
  case $description in
    *"$v"*) ;;
    *) fail "Description lacks \"$v\"" ;;
  esac
done

root="$tmp/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"
[ -x "$root/usr/bin/quorel" ] || fail "no executable /usr/bin/quorel"
entries=$(ls "$share/applications")
[ "$entries" = io.github.quorel.Quorel.desktop ] || fail "desktop entries: $entries"
entry="$share/applications/io.github.quorel.Quorel.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate"
# validate-tree also checks that the metainfo's launchable names an installed desktop entry.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"

exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$root/usr/bin/$exec_name" ] || fail "Exec=$exec_name is not installed in /usr/bin"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable $icon.svg"
# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_side() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" \
    $5*16777216 + $6*65536 + $7*256 + $8 }'
}
for size in 16 22 24 32 48 64 128 256; do
  png="$share/icons/hicolor/${size}x${size}/apps/$icon.png"
  if [ ! -f "$png" ]; then
    fail "no ${size}x${size} $icon.png"
  elif [ "$(png_side "$png")" != "${size}x${size}" ]; then
    fail "${size}x${size}/apps/$icon.png is $(png_side "$png")"
  fi
done

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb") checked"
