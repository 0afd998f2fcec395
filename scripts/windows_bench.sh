#!/bin/sh
# Times the Windows build's frame against its floor under Wine, in the build folder's private
# prefix (made once). Usage: scripts/windows_bench.sh BUILD_DIR [BLOCKS]
set -eu
build=$(cd "${1:?usage: $0 BUILD_DIR [BLOCKS]}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wineprefix.sh" "$build"
shift
trap 'wineserver -k 2>/dev/null || true' EXIT INT TERM
wine "$build/quorel_win_bench.exe" "$@"
