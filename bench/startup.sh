#!/bin/sh
# Start-up to the first complete frame on the X server and peak resident size, Quorel against a
# bare Qt program with one black 300 x 300 window, medians of RUNS alternating runs under Xvfb
# with no window manager; then Quorel's CPU use over IDLE_SECONDS with its window open and no
# input. A separate X client, xprobe, starts each program and times it from its fork to the
# moment its window's known pixels can be read back from the server.
# Usage: bench/startup.sh [BIN_DIR]
set -eu
bin=${1:-build-bench/bench}
app=${QUOREL:-build-bench/quorel}
runs=${RUNS:-21}
idle=${IDLE_SECONDS:-5}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi

# The dial's white "N", the white below it and the grey course-up button, drawn last; the bare
# window's black centre.
quorel_pixels="150,50,ffffff 150,62,ffffff 282,17,aaaaaa"
base_pixels="150,150,000000"

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_RUNTIME_DIR="$tmp"
# Each line: ms to the pixels, ms to the window's map, peak kB. Each run starts once the exit of
# the one before has had time to finish, so that neither program starts beside the other's end.
base() { sleep 0.3 && "$bin/xprobe" $base_pixels -- "$bin/baseline"; }
quorel() { sleep 0.3 && "$bin/xprobe" $quorel_pixels -- "$app"; }
base >/dev/null  # let both start from warm caches
quorel >/dev/null
i=0
while [ $i -lt "$runs" ]; do
  base >>"$tmp/base"
  quorel >>"$tmp/quorel"
  i=$((i + 1))
done

column() { cut -d' ' -f"$1" "$tmp/$2" | median; }
base_ms=$(column 1 base)
base_map=$(column 2 base)
base_kb=$(column 3 base)
quorel_ms=$(column 1 quorel)
quorel_map=$(column 2 quorel)
quorel_kb=$(column 3 quorel)
echo "start-up to the first frame on the X server, median of $runs runs (window mapped at):"
printf '  bare Qt window  %7.2f ms (%6.2f ms)  %7d kB peak resident\n' "$base_ms" "$base_map" "$base_kb"
printf '  quorel          %7.2f ms (%6.2f ms)  %7d kB peak resident\n' "$quorel_ms" "$quorel_map" "$quorel_kb"
awk -v a="$quorel_ms" -v b="$base_ms" -v c="$quorel_kb" -v d="$base_kb" \
  'BEGIN {printf "  ratio           %7.2f x              %7.2f x (targets: 1.15 and 1.15)\n", a / b, c / d}'

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
