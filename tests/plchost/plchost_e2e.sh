#!/usr/bin/env bash
# plchost as a user runs it: against plcsim and against the Snap7 peer, records
# compared value by value with the servers' memory, and the failures a user
# meets, each with its exit code.
#   plchost_e2e.sh PLCHOST [PLCSIM] [EMULATOR...]
# PLCSIM may be empty (then $MOX_PLCSIM); the Snap7 part needs $MOX_SNAP7_ADDR.
set -uo pipefail
plchost="$1"
plcsim="${2:-${MOX_PLCSIM:-}}"
shift 2
emulator=("$@")
here="$(cd "$(dirname "$0")" && pwd)"
tree="$here/static-values.xml"
failures=0
ran=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

host() { "${emulator[@]}" "$plchost" --no-summary "$@"; }

# Runs plchost on a channel and checks that its output holds every expected fragment;
# it stops after $records records (default 2).
#   expect_channel_records WHAT FORMAT CHANNEL-OPTIONS... -- FRAGMENTS...
expect_channel_records() {
  local what="$1" format="$2"
  shift 2
  local channel=()
  while [ "$1" != "--" ]; do
    channel+=("$1")
    shift
  done
  shift
  local output
  output=$(host "${channel[@]}" --requests "${requests:-$tree}" --count "${count:-2}" \
    --format "$format" 2>&1 |
    tr -d '\r') || fail "$what: exit $?"
  for fragment in "$@"; do
    grep -qF -- "$fragment" <<<"$output" || fail "$what: no '$fragment' in: $output"
  done
  ran=$((ran + 1))
}

expect_records() {
  local what="$1" address="$2" format="$3"
  shift 3
  expect_channel_records "$what" "$format" --plc "$address" --protocol isotcp -- "$@"
}

# DB1.34: 12 34 56 78 ..., REAL 3.14159 at 42, INT -1234 at 46, DINT 123456789 at 48.
plcsim_values=('"B0":18,"B1":52,"W":22136,' '"PI":3.1415901184082' '"I":-1234,"D":123456789}')

# The protocols whose far end plcsim plays on a TCP port: the serial ones as a
# serial device server carries their line, the gateways as themselves.
serial_protocols=(ppi mpi mpi2 mpi3 mpi4 as511)
gateway_protocols=(ibh ibhppi nlpro)
# Serial protocols also read over a pseudo-terminal, a real tty (native builds).
pty_protocols=(ppi mpi mpi3 as511)

# The S5 personality's other areas: input bytes 1.. and flag bytes 16.. count up,
# output bytes 0..7 hold a walking bit, counter C1 is 42.
s5_values=('"IB0":1,"IB1":2,"IB2":3' '"QB0":1,"QB1":2,"QB2":4,"QB3":8,"QB4":16,"QB5":32,"QB6":64,"QB7":128'
  '"MB0":16,"MB1":17,"MB2":18,"MB3":19' '"C1":42')

expect_s5_areas() {
  if ! plcsim_start "$plcsim" --protocol as511; then
    fail "plcsim --protocol as511 did not start"
    return
  fi
  requests="$here/s5-values.xml" count=8 expect_channel_records "plcsim as511 areas" json \
    --serial-tcp "127.0.0.1:$PLCSIM_PORT" --protocol as511 -- "${s5_values[@]}"
  plcsim_stop
}

on_pty() { [[ " ${pty_protocols[*]} " == *" $1 "* ]]; }

expect_protocol_records() {
  local protocol="$1" channel="$2" pty=()
  on_pty "$protocol" && pty=(--pty)
  if ! plcsim_start "$plcsim" --protocol "$protocol" "${pty[@]}"; then
    fail "plcsim --protocol $protocol did not start"
    return
  fi
  expect_channel_records "plcsim $protocol" json "$channel" "127.0.0.1:$PLCSIM_PORT" \
    --protocol "$protocol" -- "${plcsim_values[@]}"
  if [ "${#emulator[@]}" -eq 0 ] && on_pty "$protocol"; then
    expect_channel_records "plcsim $protocol on $PLCSIM_PTY" json --serial "$PLCSIM_PTY" \
      --protocol "$protocol" -- "${plcsim_values[@]}"
  fi
  plcsim_stop
}

# The "NAME":VALUE of each name, from the first of the JSON records that has
# a value for it.
json_values() {
  local records="$1" name pair
  shift
  for name in "$@"; do
    pair=$(grep '^{' <<<"$records" | tr -d '{}' | tr ',' '\n' | grep -F "\"$name\":" |
      grep -v ':null$' | head -1)
    echo "${pair:-\"$name\":missing}"
  done
}

# Reads the values packed into few requests (through the tree --print-tree
# writes, as a stored tree) and each in a request of its own: they must agree.
#   expect_packed_equals_single WHAT ADDRESS VALUES...
expect_packed_equals_single() {
  local what="$1" address="$2" value
  shift 2
  local reads=() names=()
  for value in "$@"; do
    reads+=(--read "$value")
    if [[ $value == *=* ]]; then names+=("${value#*=}"); else names+=("${value%%:*}"); fi
  done
  local tree="$work/packed.xml"
  host "${reads[@]}" --print-tree --output "$tree" || fail "$what: --print-tree exit $?"
  local requests
  requests=$(grep -c '<Request ' "$tree")
  [ "$requests" -lt "$#" ] || fail "$what: $# values in $requests requests"
  local packed single=""
  packed=$(host --plc "$address" --protocol isotcp --requests "$tree" --format json \
    --count $((2 * requests)) 2>&1 | tr -d '\r') || fail "$what: packed read exit $?"
  for value in "$@"; do
    single+=$(host --plc "$address" --read "$value" --format json --count 1 2>&1 | tr -d '\r')
    single+=$'\n'
  done
  local expected got
  got=$(json_values "$packed" "${names[@]}")
  expected=$(json_values "$single" "${names[@]}")
  [ "$got" = "$expected" ] || fail "$what: packed values differ: $(diff <(echo "$expected") <(echo "$got"))"
  grep -q ':missing' <<<"$expected" && fail "$what: values missing: $expected"
  ran=$((ran + 1))
}

# Runs plchost and checks its exit code and that its output holds every fragment.
#   expect_output WHAT CODE ARGUMENTS... -- FRAGMENTS...
expect_output() {
  local what="$1" code="$2"
  shift 2
  local arguments=()
  while [ "$1" != "--" ]; do
    arguments+=("$1")
    shift
  done
  shift
  local output
  output=$(
    host "${arguments[@]}" 2>&1 | tr -d '\r'
    echo "exit ${PIPESTATUS[0]}"
  )
  grep -qx "exit $code" <<<"$output" || fail "$what: expected exit $code: $output"
  for fragment in "$@"; do
    grep -qF -- "$fragment" <<<"$output" || fail "$what: no '$fragment' in: $output"
  done
  ran=$((ran + 1))
}

expect_exit() {
  local what="$1" code="$2"
  shift 2
  host "$@" >/dev/null 2>&1
  local got=$?
  [ "$got" -eq "$code" ] || fail "$what: exit $got, expected $code"
  ran=$((ran + 1))
}

# Records that cannot be written end plchost with exit code 1 and a message
# (native: the output's failures are the system's own): a full disk, a closed
# pipe, the output file removed while plchost writes it.
expect_output_failures() {
  local plc=(--plc "127.0.0.1:$PLCSIM_PORT" --protocol isotcp --requests "$tree" --format csv)
  local message code out
  message=$(host "${plc[@]}" --count 5 --output /dev/full 2>&1 >/dev/null)
  code=$?
  [ "$code" -eq 1 ] && grep -q 'records cannot be written to /dev/full' <<<"$message" ||
    fail "full disk: exit $code: $message"
  host "${plc[@]}" --count 500 2>/dev/null | head -n 1 >/dev/null
  code=${PIPESTATUS[0]}
  [ "$code" -eq 1 ] || fail "closed pipe: exit $code"
  out=$(mktemp -d)
  host "${plc[@]}" --duration 60 --output "$out/records.csv" 2>"$out/log" &
  local pid=$! tick
  for ((tick = 0; tick < 100; tick++)); do
    [ -f "$out/records.csv" ] && [ "$(wc -l <"$out/records.csv")" -ge 2 ] && break
    sleep 0.1
  done
  rm -f "$out/records.csv"
  wait "$pid"
  code=$?
  [ "$code" -eq 1 ] && grep -q 'was removed' "$out/log" ||
    fail "output file removed: exit $code: $(tail -n 1 "$out/log")"
  rm -rf "$out"
  ran=$((ran + 3))
}

# Values read packed and one by one; each one-by-one read is a plchost run, which
# under wine takes seconds, so the Windows builds read a few of every kind.
plcsim_reads=(DB1.DBB34 DB1.DBW34 DB1.DBD36 DB1.DBD42:real DB1.DBW46:int=I46 DB1.DBD48:dint
  DB1.DBX34.4 DB1.DBX35.1 DB2.DBW100:int DB2.DBD300 DB2.DBB511 DB2.DBX7.0 DB2.DBX7.2 IB5 IW6 QB3
  QD4 MW20 M21.3 C1)
snap7_reads=(DB1.DBB0 DB1.DBW2 DB1.DBD4:real DB1.DBX8.3 DB1.DBW300:int DB2.DBW10:int
  DB10.DBD60:dint IB3 QW4 MD8 M9.7 C0)
if [ "${#emulator[@]}" -gt 0 ]; then
  plcsim_reads=(DB1.DBW34 DB1.DBD42:real DB1.DBX34.4 DB2.DBW100:int IB5 MW20 C1)
  snap7_reads=(DB1.DBW2 DB1.DBD4:real DB1.DBX8.3 IB3 MD8 C0)
fi

if [ -n "$plcsim" ] && [ -x "$plcsim" ]; then
  source "$here/../../scripts/plcsim.sh"
  if plcsim_start "$plcsim"; then
    expect_records "plcsim json" "127.0.0.1:$PLCSIM_PORT" json "${plcsim_values[@]}"
    expect_records "plcsim csv" "127.0.0.1:$PLCSIM_PORT" csv ',B0,B1,W,PI,I,D' \
      ',18,52,22136,3.1415901184082'
    [ "${#emulator[@]}" -eq 0 ] && [ -w /dev/full ] && expect_output_failures
    # Values of plcsim's memory that stay as they are.
    expect_packed_equals_single "plcsim --read" "127.0.0.1:$PLCSIM_PORT" "${plcsim_reads[@]}"
    expect_output "plcsim table view" 0 --plc "127.0.0.1:$PLCSIM_PORT" --read DB1.DBW46:int=I \
      --read DB1.DBD42:real=PI --interval 100ms --count 2 -- \
      "time          request      I       PI" "  DB1      -1234  3.14159"
    expect_output "plcsim influx" 0 --plc "127.0.0.1:$PLCSIM_PORT" --read DB1.DBW46:int=I \
      --read DB1.DBX34.4=BIT --format influx --count 1 -- "DB1,source=PLC,area=DB,block=1 I=-1234i,BIT=true "
    plcsim_stop
  else
    fail "plcsim did not start"
  fi
  # A CPU that answers only to rack 0 slot 1.
  if plcsim_start "$plcsim" --slot 1; then
    expect_output "probe" 0 --plc "127.0.0.1:$PLCSIM_PORT" --probe --read DB1.DBW34 -- \
      "rack 0 slot 2: refused" "rack 0 slot 1: connected, PDU size 960 bytes" \
      "pass --rack 0 --slot 1" "DB1.DBW34: readable, 12 34"
    expect_output "probe of a missing block" 6 --plc "127.0.0.1:$PLCSIM_PORT" --probe --slot 1 \
      --read DB99.DBB0 -- "DB99 does not exist"
    plcsim_stop
  else
    fail "plcsim did not start"
  fi
  for protocol in "${serial_protocols[@]}"; do
    expect_protocol_records "$protocol" --serial-tcp
  done
  for protocol in "${gateway_protocols[@]}"; do
    expect_protocol_records "$protocol" --plc
  done
  expect_s5_areas
  # Two data sources on one gateway: each its own engine and connection, both with
  # their records.
  if plcsim_start "$plcsim" --protocol ibh; then
    count=8 expect_channel_records "plcsim ibh, two data sources" json --plc "127.0.0.1:$PLCSIM_PORT" \
      --protocol ibh --source "1;Press;Press" --source "2;Oven;Oven" -- \
      '"DATA_SOURCE_ID":1,"DATA_SOURCE_NAME":"Press"' \
      '"DATA_SOURCE_ID":2,"DATA_SOURCE_NAME":"Oven"' "${plcsim_values[@]}"
    plcsim_stop
  else
    fail "plcsim --protocol ibh did not start"
  fi
fi

if [ -n "${MOX_SNAP7_ADDR:-}" ]; then
  # Byte i of the peer's DB1 is (7 i + 1) mod 256: bytes 34.. are EF F6 FD 04 ...
  expect_records "snap7 json" "$MOX_SNAP7_ADDR" json '"B0":239,"B1":246,"W":64772,' \
    '"I":17226,"D":1364746086}'
  expect_packed_equals_single "snap7 --read" "$MOX_SNAP7_ADDR" "${snap7_reads[@]}"
fi

expect_output "malformed address" 2 --plc 127.0.0.1:1 --read DB1.DBW -- \
  '--read "DB1.DBW": the byte address is missing' "accepted forms: DB10.DBX4.3"
expect_output "printed tree" 0 --read MB0=FIRST --print-tree -- \
  '<Request caption="M">' "<Name>FIRST</Name>"

expect_exit "missing plug-in" 3 --plugin "$here/no-such-plugin" --plc 127.0.0.1:1 \
  --protocol isotcp --requests "$tree"
expect_exit "malformed tree" 4 --plc 127.0.0.1:1 --protocol isotcp \
  --requests "$here/PlchostTestSupport.h"
expect_exit "unknown protocol" 2 --plc 127.0.0.1:1 --protocol no-such --requests "$tree"
expect_exit "unreachable PLC" 5 --plc 127.0.0.1:1 --protocol isotcp --requests "$tree" \
  --connect-timeout 2

echo "plchost_e2e: $ran checks, $failures failed"
[ "$failures" -eq 0 ]
