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

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

host() { "${emulator[@]}" "$plchost" --no-summary "$@"; }

# Runs plchost on a channel and checks that its output holds every expected fragment.
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
  output=$(host "${channel[@]}" --requests "$tree" --count 2 --format "$format" 2>&1 |
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
serial_protocols=()
gateway_protocols=()
# Serial protocols also read over a pseudo-terminal, a real tty (native builds).
pty_protocols=()

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

expect_exit() {
  local what="$1" code="$2"
  shift 2
  host "$@" >/dev/null 2>&1
  local got=$?
  [ "$got" -eq "$code" ] || fail "$what: exit $got, expected $code"
  ran=$((ran + 1))
}

if [ -n "$plcsim" ] && [ -x "$plcsim" ]; then
  source "$here/../../scripts/plcsim.sh"
  if plcsim_start "$plcsim"; then
    expect_records "plcsim json" "127.0.0.1:$PLCSIM_PORT" json "${plcsim_values[@]}"
    expect_records "plcsim csv" "127.0.0.1:$PLCSIM_PORT" csv ',B0,B1,W,PI,I,D' \
      ',18,52,22136,3.1415901184082'
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
fi

if [ -n "${MOX_SNAP7_ADDR:-}" ]; then
  # Byte i of the peer's DB1 is (7 i + 1) mod 256: bytes 34.. are EF F6 FD 04 ...
  expect_records "snap7 json" "$MOX_SNAP7_ADDR" json '"B0":239,"B1":246,"W":64772,' \
    '"I":17226,"D":1364746086}'
fi

expect_exit "missing plug-in" 3 --plugin "$here/no-such-plugin" --plc 127.0.0.1:1 \
  --protocol isotcp --requests "$tree"
expect_exit "malformed tree" 4 --plc 127.0.0.1:1 --protocol isotcp \
  --requests "$here/PlchostTestSupport.h"
expect_exit "unknown protocol" 2 --plc 127.0.0.1:1 --protocol no-such --requests "$tree"
expect_exit "unreachable PLC" 5 --plc 127.0.0.1:1 --protocol isotcp --requests "$tree" \
  --connect-timeout 2

echo "plchost_e2e: $ran checks, $failures failed"
[ "$failures" -eq 0 ]
