#!/bin/sh
# Makes the Windows installer and the portable archive from BUILD_DIR/quorel.exe, then installs,
# checks and uninstalls the installer under Wine.
# Usage: scripts/windows_package.sh BUILD_DIR
set -eu
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Quorel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
setup="$build/quorel-$version-setup.exe"
archive="$build/quorel-$version-win32.zip"

makensis -V2 -DVERSION="$version" -DEXE="$build/quorel.exe" -DLICENSE="$root/LICENSE" \
  -DICON="$build/win32/quorel.ico" -DOUTFILE="$setup" "$root/packaging/windows/quorel.nsi"

# The portable form: one folder to unpack anywhere and run from; nothing is written elsewhere.
stage="$build/portable"
rm -rf "$stage" "$archive"
mkdir -p "$stage/Quorel"
cp "$build/quorel.exe" "$stage/Quorel/"
sed 's/$/\r/' "$root/LICENSE" >"$stage/Quorel/LICENSE.txt"
(cd "$stage" && zip -q -X -r "$archive" Quorel)

# Installed and uninstalled silently in the test prefix. The uninstaller copies itself away and
# returns at once, so wineserver -w waits for the copy.
. "$root/scripts/wineprefix.sh" "$build"
fail() {
  echo "windows-package: $*" >&2
  exit 1
}
target='C:\QuorelCheck'
dir=$(winepath -u "$target" 2>/dev/null)
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorel'
links="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
wine "$setup" /S "/D=$target"
wineserver -w
[ -f "$dir/quorel.exe" ] && [ -f "$dir/uninstall.exe" ] || fail "the installer left no program in $dir"
[ -f "$links/Quorel.lnk" ] || fail "the installer made no Start-menu entry"
wine reg query "$key" >/dev/null 2>&1 || fail "the installer registered no uninstaller"
wine "$dir/uninstall.exe" /S
wineserver -w
[ ! -e "$dir" ] || fail "the uninstaller left $dir"
[ ! -e "$links/Quorel.lnk" ] || fail "the uninstaller left the Start-menu entry"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left its registry key"
echo "windows-package: $setup and $archive (installed and uninstalled under Wine)"
