#!/bin/sh
# Runs the Windows build's tests under Wine: makes the private 32-bit prefix once, starts a
# virtual display with a window manager for the window test, runs CTest and stops them again.
# Usage: scripts/windows_test.sh BUILD_DIR
set -eu
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wineprefix.sh" "$build"

pids=""
stop() {
  wineserver -k 2>/dev/null || true
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  rm -f "$build/display"
}
trap stop EXIT INT TERM

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$build/display" 2>/dev/null &
pids="$!"
tries=0
until [ -s "$build/display" ]; do
  tries=$((tries + 1))
  [ $tries -le 100 ] || { echo "windows-test: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=":$(cat "$build/display")"
openbox >/dev/null 2>&1 &
pids="$pids $!"

cd "$build"
ctest --output-on-failure --no-tests=error -j "$(nproc)"
