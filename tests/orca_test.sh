#!/bin/sh
# The dial as a blind user meets it: Orca started first, in a D-Bus session on a virtual display
# with openbox, then quorel; keys typed with xdotool; what Orca says read from its debug log
# ("SPEECH OUTPUT") and held against what it must say, key echoes left out. Timing on a loaded
# machine can make Orca speak late, so this is `make orca`, not a CTest test.
# Usage: tests/orca_test.sh QUOREL [WORK_DIR]   (WORK_DIR keeps Orca's log; build/orca by default)
set -u
quorel=$(realpath "${1:?usage: $0 QUOREL [WORK_DIR]}")
work=$(realpath -m "${2:-build/orca}")
rm -rf "$work"
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
# Orca's settings and logs go to a home of its own; English, whatever the machine's language.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" LANG=C.UTF-8 LANGUAGE= LC_ALL= WORK="$work"
export QUOREL="$quorel"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
tries=0
until [ -s "$work/display" ]; do
  tries=$((tries + 1))
  [ $tries -le 100 ] || { echo "orca_test: Xvfb did not start" >&2; kill $xvfb; exit 1; }
  sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"

# Each key, then time for Orca to speak: Tab, Where Am I (keypad Enter), Page Down twice, End (the
# focus moves from the course to the wind direction), Where Am I, Shift+F10, Escape.
dbus-run-session -- sh -c '
  openbox >/dev/null 2>&1 & wm=$!
  orca --debug-file="$WORK/orca.log" >/dev/null 2>&1 & reader=$!
  sleep 10
  "$QUOREL" >/dev/null 2>&1 & app=$!
  sleep 4
  for key in Tab KP_Enter Next Next End KP_Enter shift+F10 Escape; do
    xdotool key --clearmodifiers $key
    sleep 2
  done
  kill $app $reader $wm 2>/dev/null
  wait
' >/dev/null 2>&1
kill $xvfb 2>/dev/null

# A line is "SPEECH OUTPUT: 'TEXT'{voice}"; a key's echo ends in a space.
sed -n "s/^.*SPEECH OUTPUT: '\(.*\)' \{0,1\}{'established.*$/\1/p" "$work/orca.log" |
  grep -v ' $' >"$work/spoken"
cat >"$work/expected" <<'EOF'
Wind dial panel.
Course 360 degrees spin button.
Page Down raises the course by 10 degrees, Page Up lowers it; or the buttons at the top right.
spin button Course 360 degrees.
Page Down raises the course by 10 degrees, Page Up lowers it; or the buttons at the top right.
10 degrees
20 degrees
Wind direction 10 degrees spin button.
End raises the wind direction by 10 degrees, Home lowers it; or the buttons at the bottom left.
spin button Wind direction 10 degrees.
End raises the wind direction by 10 degrees, Home lowers it; or the buttons at the bottom left.
Quorelについて(A)...
Wind dial panel.
Wind direction 10 degrees spin button.
End raises the wind direction by 10 degrees, Home lowers it; or the buttons at the bottom left.
EOF
# Orca's own greetings and the window's title come before, at times that vary.
if sed -n '/^Wind dial panel\.$/,$p' "$work/spoken" | grep -v '^Screen reader off\.$' |
  diff -u "$work/expected" - >"$work/diff"; then
  echo "orca_test: Orca said what it must ($work/spoken)"
else
  echo "orca_test: FAIL: Orca's speech differs (- must say, + said; its log is $work/orca.log):"
  cat "$work/diff"
  exit 1
fi
