#!/bin/sh
# Unpacks Debian's 32-bit Wine and the i386 libraries it needs into BUILD_DIR/wine32/root, once,
# with scripts/sysroot.sh: nothing is installed on the machine and no foreign architecture is
# added to it. BUILD_DIR/wine32/bin then holds wine, wineserver, wineboot and winepath, which run
# that Wine through the unpacked dynamic loader, ld-linux.so.2, as the machine has none of its own.
# Usage: scripts/wine32.sh BUILD_DIR   (DEBIAN_MIRROR, http://deb.debian.org by default, is where
# the packages come from)
set -eu
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
dir="$build/wine32"
# wine32 with its Depends, as `apt-get install --no-install-recommends wine32:i386` would bring.
packages="wine32"
. /etc/os-release
stamp="$VERSION_CODENAME: $packages"
[ "$(cat "$dir/stamp" 2>/dev/null)" = "$stamp" ] && exit 0

root="$dir/root"
"$(cd "$(dirname "$0")" && pwd)/sysroot.sh" i386 "$root" $packages
# What follows is made again whole, whatever a stopped run left of it; the stamp comes last.
rm -f "$dir/stamp"

# What libwine's postinst does: Wine's user32 links zlib1.dll, taken from MinGW's zlib and marked
# as a Wine builtin.
zlib="$root/usr/i686-w64-mingw32/lib/zlib1.dll"
{
  head -c 64 "$zlib"
  printf 'Wine builtin DLL\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'
  tail -c +97 "$zlib"
} >"$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"

# Debian's /usr/lib/wine/wine asks for /lib/ld-linux.so.2, which the machine lacks, so it is
# started as an argument of the unpacked one. Wine then takes the folder of /proc/self/exe, now
# ld-linux.so.2, for its own: it finds ntdll.so from there through ../i386-linux-gnu/wine, and
# starts the server and every new process with the wineserver and the wine in that folder. So a
# copy of ld-linux.so.2 sits in a folder beside /usr/lib/wine, with the two scripts that start the
# real programs through it.
run="$root/usr/lib/wine-run"
rm -rf "$run" "$dir/bin"
mkdir -p "$run" "$dir/bin"
cp "$root/usr/lib/i386-linux-gnu/ld-linux.so.2" "$run/"
launcher() {
  cat >"$run/$1" <<EOF
#!/bin/sh
dir=\$(dirname "\$(readlink -f "\$0")")
exec "\$dir/ld-linux.so.2" --library-path "\$dir/../i386-linux-gnu" "\$dir/../wine/$2"$3 "\$@"
EOF
  chmod +x "$run/$1"
  ln -s "../root/usr/lib/wine-run/$1" "$dir/bin/$1"
}
launcher wine wine ""
# As Debian's /usr/lib/wine/wineserver starts it.
launcher wineserver wineserver32 " -p0"
for tool in wineboot winepath; do
  printf '#!/bin/sh\nexec "$(dirname "$0")/wine" %s.exe "$@"\n' $tool >"$dir/bin/$tool"
  chmod +x "$dir/bin/$tool"
done
"$dir/bin/wine" --version >/dev/null || { echo "wine32: the unpacked Wine does not start" >&2; exit 1; }

echo "$stamp" >"$dir/stamp"
