#!/usr/bin/env bash
# A whole plant in one host: plchost with a hundred TCP data sources (the most the
# loopback ports 45001..45101 allow one process, with one to spare) against one
# plcsim, each polling two requests every 100 ms; and the same with one source
# alone. Reports records per second per source (each within 5 % of one source
# alone), plchost's CPU (under 10 % of one core), resident memory per source
# beyond the first (under 300 KiB plus the worker thread's stack), and the
# threads and sockets it holds against what the design implies per TCP data
# source: two threads (the engine's worker, the host's channel reader; the
# loopback listeners' sockets wake the host thread itself) and four
# sockets (the engine's loopback listener, the link's connection to it, the
# listener's side of that connection, the host's channel to the PLC).
#   bench/hundred_sources.sh BIN_DIR [SECONDS] [SOURCES]
set -euo pipefail
bin="$1"
seconds="${2:-60}"
sources="${3:-100}"
warmup=$((seconds / 6 > 3 ? seconds / 6 : 3))
here="$(dirname "$0")"
source "$here/plchost_bench.sh"
source "$here/../scripts/plcsim.sh"
work=$(mktemp -d)
trap 'plcsim_stop; rm -rf "$work"' EXIT

readonly kThreadsPerSource=2 kSocketsPerSource=4

request_tree 2 100 >"$work/tree.xml"
plcsim_start "$bin/plcsim" --max-clients $((sources + 8)) || exit 1

measure_plchost "$bin" "$PLCSIM_PORT" "$work/tree.xml" 1 "$seconds" "$warmup" "$work/one"
one_rate=$(cat "$work/one.rates")
one_cpu=$CPU_PERCENT one_rss=$RSS_KIB one_threads=$THREADS one_sockets=$SOCKETS
echo "one source alone, ${seconds} s: $one_rate records/s (two requests every 100 ms:" \
  "20 would be exact); plchost ${one_cpu} % of one core, RSS ${one_rss} KiB," \
  "${one_threads} threads, ${one_sockets} sockets"

measure_plchost "$bin" "$PLCSIM_PORT" "$work/tree.xml" "$sources" "$seconds" "$warmup" "$work/all"
awk -v one="$one_rate" -v n="$sources" '
  { rate[NR] = $1; sum += $1; if (NR == 1 || $1 < min) min = $1; if ($1 > max) max = $1
    if ($1 >= 0.95 * one && $1 <= 1.05 * one) within++ }
  END { printf "%d sources: records/s per source min %.2f, mean %.2f, max %.2f;" \
               " %d of %d within 5 %% of one source alone (%.2f)\n",
               n, min, sum / NR, max, within, n, one }' "$work/all.rates"
extra=$((sources - 1))
awk -v cpu="$CPU_PERCENT" -v rss="$RSS_KIB" -v one="$one_rss" -v extra="$extra" \
  -v threads="$THREADS" -v onethreads="$one_threads" -v sockets="$SOCKETS" \
  -v onesockets="$one_sockets" -v tps="$kThreadsPerSource" -v sps="$kSocketsPerSource" '
  BEGIN {
    printf "plchost with them: %.2f %% of one core; RSS %d KiB, %.0f KiB per source beyond the first\n",
           cpu, rss, (rss - one) / extra
    printf "threads %d (%d + %.2f per further source; the design: %d), sockets %d (%d + %.2f per further source; the design: %d)\n",
           threads, onethreads, (threads - onethreads) / extra, tps,
           sockets, onesockets, (sockets - onesockets) / extra, sps
  }'
if grep -qi 'error\|cannot' "$work/all.log"; then
  echo "plchost's log with $sources sources:"
  grep -i 'error\|cannot' "$work/all.log" | sort | uniq -c | head -5
fi
