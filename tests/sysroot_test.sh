#!/bin/sh
# scripts/sysroot.sh with a stand-in apt-get that "downloads" one small arm64 package made here:
# the root holds its files but no fonts or font configuration, a link to an absolute path stays
# inside the root, and dpkg-query, pointed at the root's database, names the package of a library
# and finds its shlibs, as dpkg-shlibdeps asks them. Then a registry in mid-synchronisation: the
# script says which index it left out and exits 75, the registry's fault.
# Usage: sysroot_test.sh SYSROOT_SCRIPT
set -eu
sysroot=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

lib=usr/lib/aarch64-linux-gnu
pkg="$work/pkg"
mkdir -p "$pkg/DEBIAN" "$pkg/$lib" "$pkg/usr/share/fonts/truetype/x" "$pkg/etc/fonts/conf.d"
cat >"$pkg/DEBIAN/control" <<'EOF'
Package: libquoreltest1
Version: 1.0-1
Architecture: arm64
Multi-Arch: same
Maintainer: Quorel tests <quorel@users.noreply.github.com>
Description: stand-in library
EOF
echo "libquoreltest 1 libquoreltest1 (>= 1.0)" >"$pkg/DEBIAN/shlibs"
echo library >"$pkg/$lib/libquoreltest.so.1"
ln -s "/$lib/libquoreltest.so.1" "$pkg/$lib/libquoreltest.so"
echo font >"$pkg/usr/share/fonts/truetype/x/x.ttf"
echo conf >"$pkg/etc/fonts/conf.d/x.conf"
dpkg-deb -b --root-owner-group "$pkg" "$work/libquoreltest1.deb" >/dev/null

# The install puts the package in apt's cache, beside the APT_CONFIG the script gives; $FAIL makes
# the update fail on one index and the install on a download, with apt's own words.
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
fetch="E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-arm64/Packages.xz  File has unexpected size (359552 != 360800). Mirror sync in progress? [IP: 151.101.2.132 80]"
case " $* " in
  *" update "*)
    [ -z "$FAIL" ] && exit 0
    echo "$fetch"
    exit 100
    ;;
  *" install "*)
    if [ -n "$FAIL" ]; then
      echo "E: Failed to fetch http://deb.debian.org/debian/pool/main/q/q/libquoreltest1_1.0-1_arm64.deb  Hash Sum mismatch"
      exit 100
    fi
    cp "$DEB" "$(dirname "$APT_CONFIG")/cache/archives/"
    ;;
esac
EOF
chmod +x "$work/bin/apt-get"
run() {
  FAIL=$1 DEB="$work/libquoreltest1.deb" PATH="$work/bin:$PATH" \
    sh "$sysroot" arm64 "$work/build/sysroot" libquoreltest1 >"$work/out" 2>&1
}

run "" || { cat "$work/out"; fail "the script failed"; }
root="$work/build/sysroot"
[ "$(cat "$root/$lib/libquoreltest.so")" = library ] || fail "the library is not in the root"
[ "$(readlink "$root/$lib/libquoreltest.so")" = libquoreltest.so.1 ] ||
  fail "libquoreltest.so leads to $(readlink "$root/$lib/libquoreltest.so")"
[ ! -e "$root/usr/share/fonts" ] && [ ! -e "$root/etc/fonts" ] || fail "fonts were unpacked"
[ -d "$root/var/cache/fontconfig" ] || fail "no var/cache/fontconfig"
export DPKG_ADMINDIR="$root/var/lib/dpkg"
found=$(dpkg-query --search "$root/$lib/libquoreltest.so.1" 2>&1 || true)
[ "$found" = "libquoreltest1:arm64: $root/$lib/libquoreltest.so.1" ] || fail "dpkg-query: $found"
shlibs=$(dpkg-query --control-path libquoreltest1:arm64 shlibs)
unset DPKG_ADMINDIR
grep -q "libquoreltest1 (>= 1.0)" "$shlibs" || fail "no shlibs for libquoreltest1"
[ ! -e "$root.apt" ] && [ ! -e "$root.new" ] || fail "apt's state or the work folder was left"
echo "ok: unpacked, $found"

# Made once: a second run leaves it as it is.
touch "$root/mark"
run "" && [ -e "$root/mark" ] || fail "the root was made again"

rm -rf "$root"
status=0
run yes || status=$?
grep -q "left out http://deb.debian.org/debian-security/.*Mirror sync in progress" "$work/out" &&
  grep -q "a fault of the registry" "$work/out" && [ "$status" -eq 75 ] && [ ! -e "$root" ] || {
  cat "$work/out"
  fail "with a registry in mid-synchronisation: status $status"
}
echo "ok: the registry's fault, status 75"
