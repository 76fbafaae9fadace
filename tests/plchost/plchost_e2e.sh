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

# Runs plchost and checks that its output holds every expected fragment.
expect_records() {
  local what="$1" address="$2" format="$3"
  shift 3
  local output
  output=$(host --plc "$address" --protocol isotcp --requests "$tree" --count 2 \
    --format "$format" 2>/dev/null | tr -d '\r') || fail "$what: exit $?"
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

if [ -n "$plcsim" ] && [ -x "$plcsim" ]; then
  source "$here/../../scripts/plcsim.sh"
  if plcsim_start "$plcsim"; then
    # DB1.34: 12 34 56 78 ..., REAL 3.14159 at 42, INT -1234 at 46, DINT 123456789 at 48.
    expect_records "plcsim json" "127.0.0.1:$PLCSIM_PORT" json '"B0":18,"B1":52,"W":22136,' \
      '"PI":3.1415901184082' '"I":-1234,"D":123456789}'
    expect_records "plcsim csv" "127.0.0.1:$PLCSIM_PORT" csv ',B0,B1,W,PI,I,D' \
      ',18,52,22136,3.1415901184082'
    plcsim_stop
  else
    fail "plcsim did not start"
  fi
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
