#!/usr/bin/env bash
# What one request engine reads per second: plchost with one data source polling
# 1, 10 and 100 requests of 10 ms interval from plcsim. An engine sends at most
# one request per tick of its timer (every 10 ms here, the shortest interval) and
# only once the one before is answered, so about 100 reads per second is its
# ceiling whatever the number of requests; the requests share it.
#   bench/engine_throughput.sh BIN_DIR [SECONDS]
set -euo pipefail
bin="$1"
seconds="${2:-20}"
warmup=$((seconds / 5 > 3 ? seconds / 5 : 3))
here="$(dirname "$0")"
source "$here/plchost_bench.sh"
source "$here/../scripts/plcsim.sh"
work=$(mktemp -d)
trap 'plcsim_stop; rm -rf "$work"' EXIT

readonly kIntervalMs=10

plcsim_start "$bin/plcsim" || exit 1
for requests in 1 10 100; do
  request_tree "$requests" "$kIntervalMs" >"$work/tree$requests.xml"
  measure_plchost "$bin" "$PLCSIM_PORT" "$work/tree$requests.xml" 1 "$seconds" "$warmup" \
    "$work/run$requests"
  awk -v n="$requests" -v cpu="$CPU_PERCENT" -v interval="$kIntervalMs" \
    '{ printf "one engine, %3d requests of %d ms interval: %6.1f reads/s, each request %.2f times a second (plchost %.2f %% of one core)\n",
              n, interval, $1, $1 / n, cpu }' "$work/run$requests.rates"
done
