#!/bin/sh
# Unpacks Debian's 32-bit Wine and the i386 libraries it needs into BUILD_DIR/wine32/root, once.
# apt works on a state of its own there (sources, lists, cache), resolving for i386 alone: nothing
# is installed on the machine and no foreign architecture is added to it, so the set is consistent
# in itself whatever versions the machine's own libraries have.
# BUILD_DIR/wine32/bin then holds wine, wineserver, wineboot and winepath, which run that Wine
# through the unpacked dynamic loader, ld-linux.so.2, as the machine has none of its own.
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

# Made aside and moved into place when whole, so that a stopped run leaves nothing half made.
work="$dir.new"
rm -rf "$work" "$dir"
apt="$work/apt"
root="$work/root"
mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/etc/sources.list.d" \
  "$apt/etc/preferences.d" "$apt/etc/apt.conf.d" "$root/usr/bin" "$root/usr/sbin" "$root/usr/lib"
: >"$apt/status"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
mirror=${DEBIAN_MIRROR:-http://deb.debian.org}
cat >"$apt/etc/sources.list" <<EOF
deb [signed-by=$keyring] $mirror/debian $VERSION_CODENAME main
deb [signed-by=$keyring] $mirror/debian $VERSION_CODENAME-updates main
deb [signed-by=$keyring] $mirror/debian-security $VERSION_CODENAME-security main
EOF
# Given as APT_CONFIG, read first; it keeps apt from the machine's apt.conf.d too, whose hooks
# (appstream, packagekit) are not for this.
cat >"$apt/apt.conf" <<EOF
APT::Architecture "i386";
APT::Architectures { "i386"; };
APT::Install-Recommends "false";
Acquire::Languages "none";
Dir::State "$apt";
Dir::State::Lists "$apt/lists";
Dir::State::status "$apt/status";
Dir::Cache "$apt/cache";
Dir::Log "$apt/log";
Dir::Etc::SourceList "$apt/etc/sources.list";
Dir::Etc::SourceParts "$apt/etc/sources.list.d";
Dir::Etc::Preferences "$apt/etc/preferences";
Dir::Etc::PreferencesParts "$apt/etc/preferences.d";
Dir::Etc::Parts "$apt/etc/apt.conf.d";
EOF
# The machine's proxies, if it has any.
for scheme in http https; do
  proxy=$(apt-config dump Acquire::$scheme::Proxy --format '%v')
  [ -z "$proxy" ] || echo "Acquire::$scheme::Proxy \"$proxy\";" >>"$apt/apt.conf"
done
export APT_CONFIG="$apt/apt.conf"
log="$work/apt.log"

echo "wine32: unpacking Debian's 32-bit Wine into $dir"
if ! apt-get update >"$log" 2>&1; then
  # An index that the registry fails to serve (a mirror in the middle of a sync) is left out; the
  # rest is still one consistent set, from the release and its updates.
  sed -n 's/^E: Failed to fetch \([^ ]*\) *\(.*\)/wine32: left out \1 (\2)/p' "$log" >&2
fi
if ! apt-get install -y -q --download-only $packages >>"$log" 2>&1; then
  tail -n 20 "$log" >&2
  echo "wine32: apt could not gather $packages and its i386 libraries from the registry (see $log)" >&2
  exit 1
fi

# Unpacked into a merged /usr, as on the machine, so that /lib and /usr/lib are one folder.
for d in bin sbin lib; do ln -s "usr/$d" "$root/$d"; done
for deb in "$apt"/cache/archives/*.deb; do
  dpkg-deb --fsys-tarfile "$deb" | tar -x --keep-directory-symlink -C "$root"
done
ls "$apt"/cache/archives/*.deb | sed 's,.*/,,' >"$work/packages"

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
mkdir -p "$run" "$work/bin"
cp "$root/usr/lib/i386-linux-gnu/ld-linux.so.2" "$run/"
launcher() {
  cat >"$run/$1" <<EOF
#!/bin/sh
dir=\$(dirname "\$(readlink -f "\$0")")
exec "\$dir/ld-linux.so.2" --library-path "\$dir/../i386-linux-gnu" "\$dir/../wine/$2"$3 "\$@"
EOF
  chmod +x "$run/$1"
  ln -s "../root/usr/lib/wine-run/$1" "$work/bin/$1"
}
launcher wine wine ""
# As Debian's /usr/lib/wine/wineserver starts it.
launcher wineserver wineserver32 " -p0"
for tool in wineboot winepath; do
  printf '#!/bin/sh\nexec "$(dirname "$0")/wine" %s.exe "$@"\n' $tool >"$work/bin/$tool"
  chmod +x "$work/bin/$tool"
done
"$work/bin/wine" --version >/dev/null || { echo "wine32: the unpacked Wine does not start" >&2; exit 1; }

rm -rf "$apt/cache" "$apt/lists"
echo "$stamp" >"$work/stamp"
mv "$work" "$dir"
