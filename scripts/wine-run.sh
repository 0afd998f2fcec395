#!/bin/sh
# Runs a Windows program under the build folder's 32-bit Wine in its private prefix, quietly and
# without touching the desktop's menus. The Wine and the prefix are made by scripts/wineprefix.sh.
# Usage: scripts/wine-run.sh PREFIX PROGRAM.exe [ARG...]
set -eu
export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
shift
exec "$(dirname "$WINEPREFIX")/wine32/bin/wine" "$@"
