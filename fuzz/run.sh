#!/bin/sh
# Builds the fuzz targets with clang and runs each for a number of seconds, one after the other,
# from a scratch copy of its seeds in fuzz/corpus/<target>; whatever one finds is left in
# <build>/artifacts. Extra arguments go to every libFuzzer run (-runs=1000000, for example).
# Usage: fuzz/run.sh [build dir] [seconds] [libFuzzer flags...]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}
[ $# -gt 2 ] && shift 2 || set --

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)"
mkdir -p "$build/artifacts"

for target in turtle dial; do
  corpus="$build/corpus/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp fuzz/corpus/$target/* "$corpus/"
  log="$build/$target.log"
  echo "fuzz: $target for $seconds s, log in $log"
  # Inputs may be as long as -max_len from the start, rather than growing slowly from the seeds.
  if ! UBSAN_OPTIONS=print_stacktrace=1 "$build/${target}_fuzz" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -max_len=4096 -len_control=0 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" "$@" "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $target failed; the input that did it is in $build/artifacts" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
  time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  cov=$(grep -E '^#[0-9]+.*cov:' "$log" | tail -n 1 | sed 's/.*\(cov: [0-9]*\).*\(ft: [0-9]*\).*/\1 \2/')
  echo "fuzz: $target: $runs runs in ${time:-$seconds} s, $rate per second; $cov; peak RSS $rss MB"
done
