#!/bin/sh
# Unpacks Debian packages of another architecture, with every library they depend on, into a root
# folder of the build, once: the 32-bit Wine of the Windows tests, the arm64 and armhf libraries
# the ARM builds link against and run with under qemu.
# apt works on a state of its own for this (sources, lists, cache, an empty status), resolving for
# ARCH alone: nothing is installed on the machine and no foreign architecture is added to it, so
# the set is consistent in itself whatever versions the machine's own libraries have.
#
# The root is a merged /usr, as on the machine, and it holds:
#   - the packages' files, but for their documentation, fonts and font configuration: programs run
#     under qemu read /etc/fonts and /usr/share/fonts from the machine where the root lacks them,
#     so they find the same fonts, set up the same way, as the machine's own programs;
#   - var/cache/fontconfig, so that fontconfig's caches for ARCH are written here under qemu and
#     not into the machine's /var/cache/fontconfig;
#   - var/lib/dpkg, a dpkg database of what was unpacked (status, and in info/ each package's file
#     list, shlibs and symbols). Its file lists name every file where it lies on this machine,
#     under DIR, so that dpkg-shlibdeps, pointed at it with DPKG_ADMINDIR, finds the package of a
#     library in the root and that package's symbols: the dependencies of a program linked
#     against the root come out as they would from a native build.
#
# Usage: scripts/sysroot.sh ARCH DIR PACKAGE...
#   ARCH: a Debian architecture (i386, arm64, armhf); PACKAGE: with its Depends, as
#   `apt-get install --no-install-recommends` on an ARCH machine would bring
#   DEBIAN_MIRROR, http://deb.debian.org by default, is where the packages come from.
# When the registry fails to serve one of the indexes (a mirror in the middle of a sync), the
# index is left out, with a line saying which, and the set comes from the others; only the
# release's own index is indispensable. Exits 75 when the registry, not the project, kept the
# packages from being gathered.
set -eu
[ $# -ge 3 ] || { echo "usage: $0 ARCH DIR PACKAGE..." >&2; exit 2; }
arch=$1
mkdir -p "$(dirname "$2")"
dir="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
shift 2
packages="$*"
. /etc/os-release
# A root moved elsewhere is made again: its database names the files where they were.
stamp="$arch $VERSION_CODENAME $dir: $packages"
[ "$(cat "$dir/.stamp" 2>/dev/null)" = "$stamp" ] && exit 0

# Made aside and moved into place when whole, so that a stopped run leaves nothing half made.
work="$dir.new"
apt="$dir.apt"
rm -rf "$work" "$dir" "$apt"
mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/etc/sources.list.d" \
  "$apt/etc/preferences.d" "$apt/etc/apt.conf.d" "$work/usr/bin" "$work/usr/sbin" \
  "$work/usr/lib" "$work/var/cache/fontconfig" "$work/var/lib/dpkg/info"
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
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
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
log="$apt/apt.log"

echo "sysroot: unpacking Debian's $arch packages $packages, with the libraries they need, into $dir"
if ! apt-get update >"$log" 2>&1; then
  # An index that the registry fails to serve is left out; the rest is still one consistent set,
  # from the release and its updates.
  sed -n "s/^E: Failed to fetch \([^ ]*\) *\(.*\)/sysroot: left out \1 (\2)/p" "$log" >&2
fi
if ! apt-get install -y -q --download-only $packages >>"$log" 2>&1; then
  tail -n 20 "$log" >&2
  echo "sysroot: apt could not gather $packages and its $arch libraries (see $log)" >&2
  # apt names each index or package it could not fetch on a line "E: Failed to fetch URL  reason".
  unfetched=$(awk '/^E: Failed to fetch /{print $5}' "$log" | sort -u | paste -s -d ' ' -)
  if [ -n "$unfetched" ]; then
    echo "sysroot: the package registry did not serve $unfetched properly: a fault of the" \
      "registry (such as a mirror being synchronised), not of Quorel; try again later" >&2
    exit 75
  fi
  exit 1
fi

# Unpacked into a merged /usr, so that /lib and /usr/lib are one folder, with tar's list of what
# it wrote as the package's file list.
for d in bin sbin lib; do ln -s "usr/$d" "$work/$d"; done
db="$work/var/lib/dpkg"
control="$apt/control"
for deb in "$apt"/cache/archives/*.deb; do
  package=$(dpkg-deb -f "$deb" Package)
  # dpkg's own naming: a package that may be installed for several architectures at once is
  # known by its name and architecture.
  info="$db/info/$package"
  [ "$(dpkg-deb -f "$deb" Multi-Arch)" != same ] || info="$info:$(dpkg-deb -f "$deb" Architecture)"
  dpkg-deb --fsys-tarfile "$deb" |
    tar -xv --index-file="$apt/written" --keep-directory-symlink -C "$work" \
      --exclude=./usr/share/doc --exclude=./usr/share/man --exclude=./usr/share/fonts \
      --exclude=./etc/fonts
  sed -e 's,^\.,,' -e 's,/$,,' -e "s,^,$dir," "$apt/written" >"$info.list"
  rm -rf "$control"
  dpkg-deb --control "$deb" "$control"
  for file in shlibs symbols; do
    [ ! -f "$control/$file" ] || cp "$control/$file" "$info.$file"
  done
  { echo "Status: install ok installed"; dpkg-deb -f "$deb"; echo; } >>"$db/status"
done

# A link to an absolute path would lead out of the root, to the machine's own files (libz.so to
# /lib/ARCH/libz.so.1, say): it leads to the root's file instead.
find "$work" -type l -lname '/*' | while read -r link; do
  ln -sfnr "$work$(readlink "$link")" "$link"
done
# The format of info/: names with the architecture, as dpkg-query reads them.
echo 1 >"$db/info/format"
echo "$stamp" >"$work/.stamp"
mv "$work" "$dir"
rm -rf "$apt"
