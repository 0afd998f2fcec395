#!/bin/sh
# Started where no display can be opened, the program says so in one line and ends with status 1,
# rather than letting Qt abort. Usage: no_display_test.sh PROGRAM
set -u
check() {
  err=$("$@" 2>&1 >/dev/null)
  status=$?
  lines=$(printf '%s\n' "$err" | grep -c .)
  if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] ||
    ! printf '%s' "$err" | grep -q "^quorel: no display could be opened (DISPLAY.*WAYLAND_DISPLAY"; then
    echo "FAIL: $* gave status $status and:"
    printf '%s\n' "$err"
    exit 1
  fi
  echo "ok: $err"
}
check env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1"
check env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:32767 "$1"
