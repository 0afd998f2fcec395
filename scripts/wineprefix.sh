#!/bin/sh
# Unpacks the 32-bit Wine into BUILD_DIR/wine32 and makes the private 32-bit Wine prefix
# BUILD_DIR/wineprefix, each once. Source it: it exports the prefix's environment and puts that
# Wine first on PATH.
# Usage: . scripts/wineprefix.sh BUILD_DIR
"$(cd "$(dirname "$0")" && pwd)/wine32.sh" "$1"
prefix="$(cd "$1" && pwd)/wineprefix"
export PATH="$(cd "$1" && pwd)/wine32/bin:$PATH"
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$prefix/system.reg" ]; then
  echo "wineprefix: making $prefix"
  wineboot -i >/dev/null 2>&1
  # The menu's Japanese captions need a face with Japanese glyphs, which Wine links from this one.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /t REG_SZ \
    /d IPAGothic /f >/dev/null 2>&1
  wineserver -w
fi
