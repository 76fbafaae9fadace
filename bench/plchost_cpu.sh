#!/usr/bin/env bash
# plchost's own CPU use while it polls ten requests every 100 ms from plcsim:
# user + system seconds of plchost (with the plug-in inside it) over the wall
# time, as a share of one core.
#   bench/plchost_cpu.sh BIN_DIR [SECONDS]
set -euo pipefail
bin="$1"
seconds="${2:-20}"
# GNU time (Debian package "time") reports the CPU seconds.
tree=$(mktemp --suffix=.xml)
log=$(mktemp)
source "$(dirname "$0")/plchost_bench.sh"
source "$(dirname "$0")/../scripts/plcsim.sh"
trap 'plcsim_stop; rm -f "$tree" "$log"' EXIT

request_tree 10 100 >"$tree"

plcsim_start "$bin/plcsim" || exit 1
port="$PLCSIM_PORT"

/usr/bin/time -o "$log" -f "%U %S %e" "$bin/plchost" --plc "127.0.0.1:$port" \
  --protocol isotcp --requests "$tree" --duration "$seconds" --no-summary \
  --output /dev/null 2>/dev/null
read -r user system wall <"$log"
awk -v u="$user" -v s="$system" -v w="$wall" \
  'BEGIN { printf "plchost polling 10 requests every 100 ms: %.2f%% of one core (%.2f s CPU in %.1f s)\n", 100 * (u + s) / w, u + s, w }'
