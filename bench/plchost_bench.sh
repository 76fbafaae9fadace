# shellcheck shell=bash
# Sourced by the benchmarks that run plchost against plcsim: the request tree
# they poll and what a running plchost holds, read from /proc.
#
#   request_tree COUNT INTERVAL_MS  writes a tree of COUNT polled 4-byte reads of
#                                   DB 1 (one D32 value each) to standard output
#   proc_cpu_seconds PID            user + system CPU seconds of the process so far
#   proc_rss_kib PID                its resident memory
#   proc_threads PID                its threads
#   proc_sockets PID                the sockets it holds open
#   now_seconds                     the wall clock, in seconds with fractions
#   measure_plchost ...             one timed run of plchost (below)

request_tree() {
  local count=$1 interval=$2 i
  echo "<MODBUSRTUQUERY>"
  for ((i = 0; i < count; i++)); do
    cat <<REQUEST
  <Request caption="R$i"><Enabled>1</Enabled><Area>5</Area><Datablock>1</Datablock>
    <Offset>$(((i * 4) % 64))</Offset><Size>4</Size>
    <RequestMethod><MethodPoll>1<PollInterval>$interval</PollInterval></MethodPoll></RequestMethod>
    <Response><Item><Name>V$i</Name><DataType>D32</DataType><AppendCnt>0</AppendCnt></Item></Response>
  </Request>
REQUEST
  done
  echo "</MODBUSRTUQUERY>"
}

proc_cpu_seconds() {
  # Fields 14 and 15 of stat, counted after the command name in parentheses.
  awk -v tick="$(getconf CLK_TCK)" '{ sub(/.*\) /, ""); print ($12 + $13) / tick }' "/proc/$1/stat"
}

proc_rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

proc_threads() { awk '/^Threads:/ { print $2 }' "/proc/$1/status"; }

proc_sockets() { find "/proc/$1/fd" -lname 'socket:*' 2>/dev/null | wc -l; }

now_seconds() { date +%s.%N; }

# measure_plchost BIN PORT TREE SOURCES SECONDS WARMUP OUT
#   Runs plchost with SOURCES data sources polling TREE from plcsim on PORT for
#   SECONDS and measures the window from WARMUP seconds in to the end; then stops
#   plchost as Ctrl+C does (its own duration is only a backstop, so a late wake-up
#   of this script on a busy machine does not find it gone). Writes OUT.rates (records per second of each source in the window,
#   one line per source) and sets CPU_PERCENT (of one core), RSS_KIB, THREADS and
#   SOCKETS (held at the end of the window). False when plchost failed.
# shellcheck disable=SC2034  # the results are for the caller
measure_plchost() {
  local bin=$1 port=$2 tree=$3 count=$4 seconds=$5 warmup=$6 out=$7
  local args=() i pid from to cpu0 cpu1 t0 t1
  for ((i = 1; i <= count; i++)); do args+=(--source "$i;S$i;Source $i"); done
  rm -f "$out.csv"  # plchost appends to its output file
  "$bin/plchost" --plc "127.0.0.1:$port" --protocol isotcp --requests "$tree" "${args[@]}" \
    --duration $((seconds * 2 + 60)) --connect-timeout 30 --no-summary --format csv \
    --output "$out.csv" --log-level warning 2>"$out.log" &
  pid=$!
  sleep "$warmup"
  from=$(date '+%F %T.%3N') t0=$(now_seconds) cpu0=$(proc_cpu_seconds "$pid")
  sleep $((seconds - warmup))
  to=$(date '+%F %T.%3N') t1=$(now_seconds) cpu1=$(proc_cpu_seconds "$pid")
  RSS_KIB=$(proc_rss_kib "$pid") THREADS=$(proc_threads "$pid") SOCKETS=$(proc_sockets "$pid")
  kill -INT "$pid"
  wait "$pid" || { cat "$out.log" >&2; return 1; }
  CPU_PERCENT=$(awk -v c0="$cpu0" -v c1="$cpu1" -v t0="$t0" -v t1="$t1" \
    'BEGIN { printf "%.2f", 100 * (c1 - c0) / (t1 - t0) }')
  awk -F, -v from="$from" -v to="$to" -v n="$count" -v span="$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')" \
    'NR > 1 && $1 >= from && $1 < to { records[$2]++ }
     END { for (i = 1; i <= n; i++) printf "%.2f\n", records[i] / span }' "$out.csv" >"$out.rates"
}
