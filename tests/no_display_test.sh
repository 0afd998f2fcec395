#!/bin/sh
# Started where no display can be opened, the program says so in one line and ends with status 1,
# rather than letting Qt abort. Where a display answers but Qt's platform plugin cannot start, it
# passes on Qt's reason and the plugins Qt found instead, each line its own, also with status 1.
# Usage: no_display_test.sh PROGRAM
# QUOREL_EMULATOR, when set, is the command that runs the program (a cross build's qemu), split
# at spaces.
set -u
program=$1
emulator=${QUOREL_EMULATOR:-}
fail() {
  echo "FAIL: $1 gave status $status and:"
  printf '%s\n' "$err"
  exit 1
}
run() {
  err=$("$@" 2>&1 >/dev/null)
  status=$?
}
check() {
  run "$@"
  lines=$(printf '%s\n' "$err" | grep -c .)
  [ "$status" -eq 1 ] && [ "$lines" -eq 1 ] &&
    printf '%s' "$err" | grep -q "^quorel: no display could be opened (DISPLAY.*WAYLAND_DISPLAY" ||
    fail "$*"
  echo "ok: $err"
}
check env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $emulator "$program"
check env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:32767 $emulator "$program"

if ! command -v Xvfb >/dev/null; then
  echo "no_display_test: skipped the case of a live display, Xvfb is not installed"
  exit 0
fi
tmp=$(mktemp -d)
xvfb=""
trap '[ -z "$xvfb" ] || kill "$xvfb"; rm -rf "$tmp"' EXIT
# Xvfb writes the number of the display it took, once it listens.
mkfifo "$tmp/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 320x240x24 3>"$tmp/display" 2>/dev/null &
xvfb=$!
read -r display <"$tmp/display" || true
[ -n "$display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
run env -u WAYLAND_DISPLAY DISPLAY=":$display" QT_QPA_PLATFORM=bogus $emulator "$program"
[ "$status" -eq 1 ] &&
  printf '%s\n' "$err" | head -n 1 | grep -q "^quorel: a display answers (DISPLAY=:$display, " &&
  printf '%s\n' "$err" | grep -qx 'quorel: qt.qpa.plugin: Could not find .*"bogus".*' &&
  printf '%s\n' "$err" | grep -qx 'quorel: available platform plugins: .*xcb.*' &&
  ! printf '%s\n' "$err" | grep -qv '^quorel: ' ||
  fail "a live display and QT_QPA_PLATFORM=bogus"
printf 'ok: %s\n' "$err"
