#!/bin/sh
# Start-up to the first complete frame and peak resident size, Quorel against a bare Qt program
# with one black 300 x 300 window, medians of RUNS alternating runs under Xvfb; then Quorel's CPU
# use over IDLE_SECONDS with its window open and no input.  Usage: bench/startup.sh [BIN_DIR]
set -eu
bin=${1:-build-bench/bench}
app=${QUOREL:-build-bench/quorel}
runs=${RUNS:-21}
idle=${IDLE_SECONDS:-5}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi

# One run: "<ms to first frame> <peak kB>".
run() {
  start=$(date +%s%N)
  line=$("$1" | grep '^frame_ns=')
  frame=${line#frame_ns=}
  frame=${frame%% *}
  echo "$(( (frame - start) / 1000 ))" "${line##*hwm_kb=}" | awk '{printf "%.2f %d\n", $1 / 1000, $2}'
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_RUNTIME_DIR="$tmp"
run "$bin/baseline" >/dev/null  # let both start from warm caches
run "$bin/quorel_startup" >/dev/null
i=0
while [ $i -lt "$runs" ]; do
  run "$bin/baseline" >>"$tmp/base"
  run "$bin/quorel_startup" >>"$tmp/quorel"
  i=$((i + 1))
done

base_ms=$(cut -d' ' -f1 "$tmp/base" | median)
base_kb=$(cut -d' ' -f2 "$tmp/base" | median)
quorel_ms=$(cut -d' ' -f1 "$tmp/quorel" | median)
quorel_kb=$(cut -d' ' -f2 "$tmp/quorel" | median)
echo "start-up to first frame, median of $runs runs:"
printf '  bare Qt window  %7.2f ms  %7d kB peak resident\n' "$base_ms" "$base_kb"
printf '  quorel          %7.2f ms  %7d kB peak resident\n' "$quorel_ms" "$quorel_kb"
awk -v a="$quorel_ms" -v b="$base_ms" -v c="$quorel_kb" -v d="$base_kb" \
  'BEGIN {printf "  ratio           %7.2f x    %7.2f x (targets: 1.15 and 1.15)\n", a / b, c / d}'

"$app" &
pid=$!
sleep 2
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(ticks)
sleep "$idle"
after=$(ticks)
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "idle: $((after - before)) CPU ticks of $(getconf CLK_TCK)/s in ${idle} s with the window open"
