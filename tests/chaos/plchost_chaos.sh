#!/usr/bin/env bash
# plchost polling through the plug-in while the PLC misbehaves:
#   restarts  plcsim killed and restarted on the same port, again and again
#   faults    plcsim injecting each fault kind (plcsim --faults), one run per kind
# Every record delivered must hold exactly the PLC's values (DB1 bytes 4..63 are
# 4..63, and the counter in bytes 0..3 never runs backwards while one simulator
# runs); polling must resume after every failure; the PLC must never see more
# than one connection of the engine at a time; plchost's descriptors and memory
# must not grow; every fault must leave a log line on both sides.
#   plchost_chaos.sh restarts|faults PLCHOST PLCSIM [EMULATOR...]
# PLCSIM may be empty (then $MOX_PLCSIM). MOX_CHAOS_RESTARTS sets the number of
# restarts (default 5). Prints one summary line per run.
set -uo pipefail
mode="$1"
plchost="$2"
plcsim="${3:-${MOX_PLCSIM:-}}"
shift 3
emulator=("$@")
here="$(cd "$(dirname "$0")" && pwd)"
restarts="${MOX_CHAOS_RESTARTS:-5}"
work=$(mktemp -d)
failures=0
sim_pid=""
host_pid=""

# Bounds of the waits, in tenths of a second: a start, and polling after a failure
# (the plug-in pauses 15 s after the host reopens its channel).
start_bound=100
resume_bound=400

cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null && wait "$host_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill -9 "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Starts plcsim on port $1 (0: a free one) with the chaos memory and the further
# arguments; sets sim_pid and sim_port. Waits (bounded) until it listens.
sim_start() {
  local port="$1" tick
  shift
  sim_log="$work/plcsim.$((++sim_runs)).log"
  "$plcsim" --port "$port" --config "$here/chaos-memory.txt" "$@" >"$sim_log" 2>&1 &
  sim_pid=$!
  for ((tick = 0; tick < start_bound; tick++)); do
    sim_port=$(sed -n 's/^plcsim listening on [0-9.]*:\([0-9]*\)$/\1/p' "$sim_log")
    [ -n "$sim_port" ] && return 0
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$sim_log" >&2
  return 1
}
sim_runs=0

# The most connections plcsim saw open at once in its log $1.
max_open() { sed -n 's/.* connected (\([0-9]*\) open)$/\1/p' "$1" | sort -n | tail -n 1; }

# Starts plchost on plcsim's port with $1 data sources (default 1), records as CSV
# into $records.
host_start() {
  local sources=() id
  for ((id = 1; id <= ${1:-1}; id++)); do sources+=(--source "$id;PLC$id;PLC $id"); done
  records="$work/records.$((++host_runs)).csv"
  host_log="$work/plchost.$host_runs.log"
  "${emulator[@]}" "$plchost" --no-summary --plc "127.0.0.1:$sim_port" --protocol isotcp \
    --requests "$here/chaos-values.xml" "${sources[@]}" --format csv --output "$records" \
    --connect-timeout 60 --answer-timeout 0 2>"$host_log" &
  host_pid=$!
}

# The fewest records of one data source in $records.
fewest_per_source() {
  awk -F, -v sources="$1" 'NR > 1 { n[$2]++ }
    END { least = length(n) < sources ? 0 : -1
          for (s in n) if (least < 0 || n[s] < least) least = n[s]
          print least }' "$records"
}
host_runs=0

host_stop() {
  kill "$host_pid" 2>/dev/null
  wait "$host_pid"
  local code=$?
  host_pid=""
  # Under wine the signal ends the Windows program at once, without its own stop.
  [ "$code" -eq 0 ] || [ "${#emulator[@]}" -gt 0 ] ||
    fail "plchost ended with $code: $(tail -n 3 "$host_log")"
}

record_count() {
  local lines=1
  [ -f "$records" ] && lines=$(wc -l <"$records")
  echo $((lines > 0 ? lines - 1 : 0))
}

# Waits (bounded by $2 tenths of a second) until at least $1 records arrived.
wait_records() {
  local tick
  for ((tick = 0; tick < $2; tick++)); do
    [ "$(record_count)" -ge "$1" ] && return 0
    kill -0 "$host_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# plchost's open descriptors and resident memory (kB): "FDS RSS".
host_usage() {
  local fds rss
  fds=$(find "/proc/$host_pid/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
  rss=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\).*/\1/p' "/proc/$host_pid/status" 2>/dev/null)
  echo "$fds ${rss:-0}"
}

# Counts the records of $1 that do not hold the PLC's values; with $2 = monotonic,
# a counter that runs backwards is wrong too.
# A line that a stop cut short (no line end yet) is not a record.
wrong_records() {
  local lines
  lines=$(wc -l <"$1")
  head -n "$lines" "$1" | awk -F, -v monotonic="${2:+1}" -f "$here/wrong_records.awk"
}

# Faults injected and plchost's log lines of errors and channel failures.
fault_count() { grep -c "^plcsim: fault $1:" "$sim_log"; }
failure_lines() { grep -cE '^\[error\]|channel closed' "$host_log"; }

# Descriptors: a sample may catch the connections of a data source being replaced,
# so two more per source ($3, default 1) than the first sample pass; a leak per
# fault or restart shows as dozens more.
descriptors_flat() { [ "$2" -le $(($1 + 2 * ${3:-1})) ]; }
# Memory: grows by at most 5 % and 1 MB over the first sample.
memory_flat() { [ "$2" -le $(($1 + $1 / 20 + 1024)) ]; }

run_restarts() {
  sim_start 0 || { fail "plcsim did not start"; return; }
  local port="$sim_port" round before usage first_usage="" most=0 open
  host_start
  wait_records 1 "$resume_bound" || fail "no first record: $(tail -n 3 "$host_log")"
  for ((round = 1; round <= restarts; round++)); do
    kill -9 "$sim_pid"
    wait "$sim_pid" 2>/dev/null
    open=$(max_open "$sim_log")
    [ "${open:-0}" -gt "$most" ] && most="$open"
    sim_start "$port" || { fail "plcsim did not restart on port $port"; break; }
    before=$(record_count)
    if ! wait_records $((before + 5)) "$resume_bound"; then
      fail "restart $round: polling did not resume: $(tail -n 3 "$host_log")"
      break
    fi
    usage=$(host_usage)
    [ -z "$first_usage" ] && first_usage="$usage"
  done
  open=$(max_open "$sim_log")
  [ "${open:-0}" -gt "$most" ] && most="$open"
  host_stop
  local wrong checked
  checked=$(record_count)
  wrong=$(wrong_records "$records")
  read -r fds0 rss0 <<<"${first_usage:-0 0}"
  read -r fds1 rss1 <<<"${usage:-0 0}"
  echo "restarts: $((round - 1)) of $restarts, records $checked, wrong $wrong," \
    "most connections open $most, descriptors $fds0 -> $fds1, memory $rss0 -> $rss1 kB"
  [ "$wrong" -eq 0 ] || fail "restarts: $wrong wrong records"
  [ "$most" -le 1 ] || fail "restarts: plcsim saw $most connections open at once"
  descriptors_flat "$fds0" "$fds1" || fail "restarts: descriptors grew from $fds0 to $fds1"
  memory_flat "$rss0" "$rss1" || fail "restarts: memory grew from $rss0 to $rss1 kB"
}

# One run of plcsim --faults "$2": until $3 records have arrived after the first,
# which is bounded by resume_bound per fault that closes the channel. With $4 data
# sources (default 1) every one must deliver, and plcsim may see one connection
# open per source; their counters interleave, so only one checks its order.
run_fault() {
  local kind="$1" plan="$2" wanted="$3" sources="${4:-1}"
  sim_start 0 --faults "$plan" || { fail "plcsim --faults $plan did not start"; return; }
  host_start "$sources"
  local before after bound=$((resume_bound * 2))
  wait_records 1 "$resume_bound" || fail "$kind: no first record: $(tail -n 3 "$host_log")"
  before=$(host_usage)
  wait_records $((wanted + 1)) "$bound" || fail "$kind: $(record_count) of $wanted records"
  after=$(host_usage)
  host_stop
  kill "$sim_pid" && wait "$sim_pid" 2>/dev/null
  sim_pid=""
  local injected wrong checked logged most fewest
  injected=$(fault_count "$kind")
  checked=$(record_count)
  wrong=$(wrong_records "$records" "$([ "$sources" -eq 1 ] && echo monotonic)")
  logged=$(failure_lines)
  most=$(max_open "$sim_log")
  fewest=$(fewest_per_source "$sources")
  echo "fault $kind ($plan, $sources data sources): injected $injected, records $checked," \
    "wrong $wrong, fewest of one source $fewest, plchost failure lines $logged," \
    "most connections open $most, descriptors/memory (kB) $before -> $after"
  [ "$injected" -gt 0 ] || fail "$kind: no fault injected"
  [ "$wrong" -eq 0 ] || fail "$kind: $wrong wrong records"
  [ "$logged" -gt 0 ] || fail "$kind: plchost logged no failure"
  [ "${most:-0}" -le "$sources" ] || fail "$kind: plcsim saw $most connections open at once"
  [ "$fewest" -gt 0 ] || fail "$kind: a data source delivered no record"
  read -r fds0 rss0 <<<"$before"
  read -r fds1 rss1 <<<"$after"
  descriptors_flat "$fds0" "$fds1" "$sources" || fail "$kind: descriptors grew from $fds0 to $fds1"
  memory_flat "$rss0" "$rss1" || fail "$kind: memory grew from $rss0 to $rss1 kB"
}

# One fault run in the background, in its own work folder; its failures are its exit
# code. The runs mostly wait (for answer time-outs, and for the plug-in's pause after
# a closed channel), so they run side by side.
spawn_fault() {
  (
    work=$(mktemp -d -p "$work")
    failures=0
    trap cleanup EXIT
    run_fault "$@"
    exit "$failures"
  ) &
  fault_runs+=($!)
}
fault_runs=()

run_faults() {
  # About 30 answers a second: a fault every 7th is four a second. Closing the
  # connection costs the plug-in's pause after a reopened channel, so those are rarer.
  spawn_fault drop "drop:every:7" 80
  spawn_fault delay "delay:every:7,delay-ms:1000" 60
  spawn_fault truncate "truncate:every:7" 80
  spawn_fault length "length:every:7" 80
  spawn_fault garbage "garbage:every:7" 80
  spawn_fault reference "reference:every:7" 80
  spawn_fault close "close:every:150" 200
  spawn_fault refuse "close:every:150,refuse:every:2" 200
  # A channel that closes makes every channel open anew, once, for all engines.
  spawn_fault close "close:every:400" 400 3
  local run
  for run in "${fault_runs[@]}"; do
    wait "$run" || failures=$((failures + $?))
  done
}

if [ -z "$plcsim" ] || [ ! -x "$plcsim" ]; then
  echo "plchost_chaos: no plcsim" >&2
  exit 1
fi
case "$mode" in
  restarts) run_restarts ;;
  faults) run_faults ;;
  *)
    echo "plchost_chaos: restarts or faults, not $mode" >&2
    exit 2
    ;;
esac
echo "plchost_chaos $mode: $failures failed"
[ "$failures" -eq 0 ]
