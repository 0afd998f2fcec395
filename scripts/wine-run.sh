#!/bin/sh
# Runs a Windows program under Wine in a private 32-bit prefix, quietly and without touching the
# desktop's menus. The prefix is made by scripts/windows_test.sh.
# Usage: scripts/wine-run.sh PREFIX PROGRAM.exe [ARG...]
set -eu
export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
shift
exec wine "$@"
