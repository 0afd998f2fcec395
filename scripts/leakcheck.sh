#!/bin/sh
# A whole window session under valgrind memcheck: the real main window, 1,000 random events with a
# paint after each, closed through Exit. Any definite or indirect leak outside the libraries'
# own, listed in tests/valgrind.supp, or any memory error fails it.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
log="$build/leakcheck.log"

if ! QT_QPA_PLATFORM=offscreen QUOREL_STORM_EVENTS=1000 valgrind --tool=memcheck \
  --leak-check=full --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
  --error-exitcode=1 --num-callers=40 --suppressions=tests/valgrind.supp --log-file="$log" \
  "$build/tests/storm_test" --gtest_filter=EventStorm.SessionWithAPaintAfterEveryEventClosesThroughExit \
  >"$build/leakcheck.out" 2>&1; then
  cat "$build/leakcheck.out" "$log" | grep -v 'This plugin does not support' | tail -n 120
  echo "leakcheck: failed (the whole report is in $log)" >&2
  exit 1
fi
grep -E 'definitely lost|indirectly lost|ERROR SUMMARY' "$log" | sed 's/^==[0-9]*== */leakcheck: /'
