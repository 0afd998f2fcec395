#!/bin/sh
# Makes the private 32-bit Wine prefix BUILD_DIR/wineprefix once. Source it: it exports the
# prefix's environment.
# Usage: . scripts/wineprefix.sh BUILD_DIR
prefix="$(cd "$1" && pwd)/wineprefix"
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
