#!/usr/bin/env bash
# A soak run outside the test command: plchost with ten data sources polling every
# 20 ms through the plug-in against plcsim injecting faults. Every 10 s it prints the
# records so far and per second, the reconnects, the faults injected and plchost's
# resident memory (all of it, and the anonymous part) and descriptors; at the end,
# whether every record held the PLC's values and whether memory stayed flat: the
# anonymous resident memory (heap and stacks, where a leak shows) grew under 1 %
# after the warm-up. The rest of the resident memory is pages of the program and
# its libraries, read in as code runs for the first time (a rare fault's path
# hours in), bounded by their size.
#   scripts/soak.sh [MINUTES]     default 10
# MOX_SOAK_BIN: the folder of plcsim, plchost and the plug-in (default build/native/bin);
# MOX_SOAK_FAULTS: plcsim's --faults (default below); MOX_SOAK_WARMUP: the minutes
# before the memory baseline (default 1). Each engine's worker queue keeps up to
# 16384 consumed slots before it compacts, so at 20 ms (about 35 records a second a
# source) its list grows for about eight minutes before memory is flat; emptying the
# queue at a reconnect keeps the list's storage, so with reconnects it grows further
# only when an engine runs longer between two than ever before. Exits non-zero when a
# record was wrong or memory grew.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
minutes="${1:-10}"
bin="${MOX_SOAK_BIN:-build/native/bin}"
faults="${MOX_SOAK_FAULTS:-drop:0.002,garbage:0.001,truncate:0.001,reference:0.001,close:every:20000,seed:1}"
sources=10
warmup_seconds=$((${MOX_SOAK_WARMUP:-1} * 60))
sample_seconds=10
chaos=tests/chaos
work=$(mktemp -d)
sim_pid=""
host_pid=""
trap '[ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null; [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait; rm -rf "$work"' EXIT

"$bin/plcsim" --port 0 --config "$chaos/chaos-memory.txt" --faults "$faults" >"$work/plcsim.log" 2>&1 &
sim_pid=$!
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/^plcsim listening on [0-9.]*:\([0-9]*\)$/\1/p' "$work/plcsim.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$work/plcsim.log" >&2; exit 1; }

source_options=()
for ((id = 1; id <= sources; id++)); do source_options+=(--source "$id;PLC$id;PLC $id"); done
"$bin/plchost" --no-summary --plc "127.0.0.1:$port" --protocol isotcp \
  --requests "$chaos/chaos-values.xml" "${source_options[@]}" --format csv \
  --output "$work/records.csv" --answer-timeout 0 2>"$work/plchost.log" &
host_pid=$!

records() { echo $(($(wc -l <"$work/records.csv" 2>/dev/null || echo 1) - 1)); }
status_kb() { sed -n "s/^$1:[[:space:]]*\([0-9]*\).*/\1/p" "/proc/$host_pid/status"; }
fds() { find "/proc/$host_pid/fd" -mindepth 1 -maxdepth 1 | wc -l; }
reconnects() { echo $(($(grep -c 'channel open' "$work/plchost.log") - sources)); }
injected() { grep -c '^plcsim: fault ' "$work/plcsim.log"; }

echo "soak: $minutes min, $sources data sources at 20 ms, plcsim --faults $faults"
printf '%8s %10s %10s %10s %8s %10s %10s %6s\n' time records "records/s" reconnects faults \
  "rss kB" "anon kB" fds
start=$SECONDS
last_records=0
rss_warm=""
anon_warm=""
end=$((start + minutes * 60))
while [ "$SECONDS" -lt "$end" ]; do
  # The sampling period: the run's pace, not a synchronisation.
  sleep "$sample_seconds"
  kill -0 "$host_pid" 2>/dev/null || { echo "plchost ended: $(tail -n 3 "$work/plchost.log")"; exit 1; }
  now=$(records)
  memory=$(status_kb VmRSS)
  anonymous=$(status_kb RssAnon)
  elapsed=$((SECONDS - start))
  if [ -z "$rss_warm" ] && [ "$elapsed" -ge "$warmup_seconds" ]; then
    rss_warm="$memory" anon_warm="$anonymous"
  fi
  printf '%7ss %10d %10d %10d %8d %10d %10d %6d\n' "$elapsed" "$now" \
    $(((now - last_records) / sample_seconds)) "$(reconnects)" "$(injected)" "$memory" \
    "$anonymous" "$(fds)"
  last_records="$now"
done
rss_end=$(status_kb VmRSS)
anon_end=$(status_kb RssAnon)
kill "$host_pid"
wait "$host_pid"
host_pid=""
total=$(records)
wrong=$(awk -F, -f "$chaos/wrong_records.awk" "$work/records.csv")
growth() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b - a) * 100 / a }'; }
rss_warm="${rss_warm:-$rss_end}" anon_warm="${anon_warm:-$anon_end}"
anon_growth=$(growth "$anon_warm" "$anon_end")
echo "soak: $total records ($((total / (SECONDS - start))) a second), $wrong wrong," \
  "$(reconnects) reconnects, $(injected) faults injected," \
  "anonymous memory $anon_warm kB after $((warmup_seconds / 60)) min, $anon_end kB at the end" \
  "($anon_growth %); all resident memory $rss_warm kB, $rss_end kB ($(growth "$rss_warm" "$rss_end") %)"
[ "$wrong" -eq 0 ] && awk -v g="$anon_growth" 'BEGIN { exit !(g < 1) }'
