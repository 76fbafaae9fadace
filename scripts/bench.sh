#!/usr/bin/env bash
# Builds the native preset and runs every benchmark under bench/; the figures
# the README quotes come from here. The read benchmarks report their ratio to the
# loopback floor (counter ratio_to_floor); the plchost runs take about five minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The Snap7 peer: the comparison benchmarks read it and link its library.
bash scripts/snap7.sh >/dev/null
source scripts/peers.sh
trap peers_stop EXIT
peers_start
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)"
for bench in build/native/bin/*_bench; do
  echo "==== $(basename "$bench")"
  "$bench" --benchmark_min_time=0.5 "$@"
done
echo "==== plchost_cpu"
bash bench/plchost_cpu.sh build/native/bin
echo "==== engine_throughput"
bash bench/engine_throughput.sh build/native/bin
echo "==== hundred_sources"
bash bench/hundred_sources.sh build/native/bin
