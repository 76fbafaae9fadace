#!/usr/bin/env bash
# S7 online as a user runs it: plchost --protocol s7online, the plug-in and our
# library, with the vendor's DLL missing, damaged, refusing the access point, and
# (the Windows builds) the stand-in DLL in the program's folder carrying the
# connection to plcsim: records compared with the simulator's memory, and a run
# that starts without the DLL and recovers when it appears.
#   s7online_e2e.sh PLCHOST PLCSIM STANDIN_FOLDER LACKING_FOLDER [EMULATOR...]
# PLCSIM may be empty (then $MOX_PLCSIM); the folders are empty in a native build.
set -uo pipefail
plchost="$1"
plcsim="${2:-${MOX_PLCSIM:-}}"
standin="$3"
lacking="$4"
shift 4
emulator=("$@")
here="$(cd "$(dirname "$0")" && pwd)"
tree="$here/../plchost/static-values.xml"
failures=0
ran=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# DB1.34: 12 34 56 78 ..., REAL 3.14159 at 42, INT -1234 at 46, DINT 123456789 at 48.
plcsim_values=('"B0":18,"B1":52,"W":22136,' '"PI":3.1415901184082' '"I":-1234,"D":123456789}')

# Runs plchost with the given options until every wanted fragment is in its
# output (at most a minute: a loaded machine starts wine slowly) or it ends by
# itself, then checks its output for the fragments; a fragment "!TEXT" must not
# be there.
#   expect_run WHAT PLCHOST-OPTIONS... -- FRAGMENTS...
expect_run() {
  local what="$1" options=()
  shift
  while [ "$1" != "--" ]; do
    options+=("$1")
    shift
  done
  shift
  local log pid
  log=$(mktemp)
  "${emulator[@]}" "$program" --no-summary --protocol s7online --requests "$tree" \
    --format json --duration 60 "${options[@]}" >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || break
    has_all "$log" "$@" && break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
  wait "$pid"
  check_output "$what" "$(tr -d '\r' <"$log")" "$@"
  rm -f "$log"
}

# Whether the file holds every wanted fragment (those without "!").
has_all() {
  local file="$1"
  shift
  for fragment in "$@"; do
    [ "${fragment:0:1}" = "!" ] && continue
    grep -qF -- "$fragment" "$file" || return 1
  done
}

check_output() {
  local what="$1" output="$2"
  shift 2
  for fragment in "$@"; do
    if [ "${fragment:0:1}" = "!" ]; then
      grep -qF -- "${fragment:1}" <<<"$output" && fail "$what: '${fragment:1}' in: $output"
    else
      grep -qF -- "$fragment" <<<"$output" || fail "$what: no '$fragment' in: $output"
    fi
  done
  ran=$((ran + 1))
}

no_record='!"B0":'

if [ -z "$standin" ]; then
  program="$plchost"
  expect_run "native" -- "not available on this platform" "$no_record"
  echo "s7online_e2e: $ran checks, $failures failed"
  [ "$failures" -eq 0 ]
  exit
fi

# The program's folder of a user: plchost with the plug-in and our library, and
# the vendor's DLL where an installation puts it (here: beside the program).
folder=$(mktemp -d)
trap 'rm -rf "$folder"; [ -n "${PLCSIM_PID:-}" ] && plcsim_stop' EXIT
cp "$plchost" "$(dirname "$plchost")"/*.dll "$folder/"
program="$folder/$(basename "$plchost")"

expect_run "no DLL" -- "cannot open the S7 online access point S7ONLINE" \
  "S7onlinx.dll not found" "PC communication software" "$no_record"

cp "$lacking/S7onlinx.dll" "$folder/"
expect_run "damaged DLL" -- "S7onlinx.dll lacks a function" "(SCP_receive)" \
  "$no_record"

cp "$standin/S7onlinx.dll" "$folder/"
MOX_S7ONLINE_ACCESS_POINT="CP_L2_1:" expect_run "refused access point" -- \
  "SCP error 4865: CP name does not exist" "Set PG/PC interface" "$no_record"

if [ -z "$plcsim" ] || [ ! -x "$plcsim" ]; then
  fail "no plcsim (give it or set MOX_PLCSIM)"
else
  source "$here/../../scripts/plcsim.sh"
  if plcsim_start "$plcsim"; then
    export MOX_S7ONLINE_PLC="127.0.0.1:$PLCSIM_PORT"
    expect_run "plcsim through the stand-in" --count 2 -- "${plcsim_values[@]}"

    # Without the DLL at first; the engine tries again and recovers once it is there.
    rm "$folder/S7onlinx.dll"
    log=$(mktemp)
    "${emulator[@]}" "$program" --no-summary --protocol s7online --requests "$tree" \
      --format json --count 2 --answer-timeout 60 >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 300); do
      grep -qF "S7onlinx.dll not found" "$log" && break
      sleep 0.1
    done
    cp "$standin/S7onlinx.dll" "$folder/"
    for _ in $(seq 300); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null
    wait "$pid"
    check_output "recovery" "$(tr -d '\r' <"$log")" "S7onlinx.dll not found" \
      "Connected to the PLC again" "${plcsim_values[@]}"
    rm -f "$log"
    plcsim_stop
  else
    fail "plcsim did not start"
  fi
fi

echo "s7online_e2e: $ran checks, $failures failed"
[ "$failures" -eq 0 ]
