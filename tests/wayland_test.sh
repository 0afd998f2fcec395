#!/bin/sh
# The program on a Wayland compositor: a headless weston in a runtime directory of its own, where
# the session test must pass on Qt's Wayland plugin and, with a platform plugin Qt does not have,
# the program must pass on Qt's reason rather than say that no display could be opened.
# Usage: wayland_test.sh SESSION_TEST PROGRAM
# QUOREL_EMULATOR, when set, is the command that runs the two (a cross build's qemu), split at
# spaces.
set -u
emulator=${QUOREL_EMULATOR:-}
if ! command -v weston >/dev/null; then
  echo "wayland_test: skipped, weston is not installed"
  exit 0
fi
# mktemp makes the directory 0700, as Wayland wants its runtime directory.
runtime=$(mktemp -d)
weston=""
trap '[ -z "$weston" ] || kill "$weston"; rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=quorel-test
unset DISPLAY
fail() {
  echo "FAIL: $1; weston said:"
  cat "$runtime/weston.log"
  exit 1
}

# Pixman renders the output, which the headless default would leave empty, and --debug lets
# weston-screenshooter read it back.
weston --backend=headless-backend.so --use-pixman --width=640 --height=480 --idle-time=0 \
  --no-config --debug --socket="$WAYLAND_DISPLAY" >"$runtime/weston.log" 2>&1 &
weston=$!
tries=0
until [ -S "$runtime/$WAYLAND_DISPLAY" ]; do
  tries=$((tries + 1))
  [ "$tries" -le 100 ] && kill -0 "$weston" 2>/dev/null || fail "weston did not start"
  sleep 0.1
done

err=$(QT_QPA_PLATFORM=bogus $emulator "$2" 2>&1 >/dev/null)
status=$?
[ "$status" -eq 1 ] && printf '%s\n' "$err" | head -n 1 |
  grep -q "^quorel: a display answers (DISPLAY unset, WAYLAND_DISPLAY=$WAYLAND_DISPLAY, " ||
  fail "QT_QPA_PLATFORM=bogus gave status $status and: $err"
echo "ok: $err"

QT_QPA_PLATFORM=wayland timeout 60 $emulator "$1" || fail "the session on Wayland"
