#!/bin/sh
# Builds the turtle's fuzz target with clang and fuzzes for a number of seconds, from a scratch
# copy of the seeds in fuzz/corpus; whatever it finds is left in <build>/artifacts.
# Usage: fuzz/run.sh [build dir] [seconds]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)"
mkdir -p "$build/corpus" "$build/artifacts"
cp fuzz/corpus/* "$build/corpus/"

log="$build/fuzz.log"
echo "fuzz: $seconds s, log in $log"
if ! UBSAN_OPTIONS=print_stacktrace=1 "$build/turtle_fuzz" -max_total_time="$seconds" \
  -timeout=10 -rss_limit_mb=4096 -max_len=2048 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "$build/corpus" >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "fuzz: failed; the input that did it is in $build/artifacts" >&2
  exit 1
fi
grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|slowest_unit_time_sec|peak_rss_mb))' "$log" |
  sed 's/^/fuzz: /'
