#!/usr/bin/env bash
# The demo: builds the simulator, the command-line host, the plug-in and our
# protocol library, starts plcsim on loopback and plchost with
# examples/demo.xml, shows live decoded values for about 20 seconds (or until
# Ctrl-C), then stops everything it started.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${MOX_DEMO_SECONDS:-20}"

bash scripts/install-deps.sh --products
cmake --preset demo >/dev/null
cmake --build --preset demo -j "$(nproc)"
bin=build/demo/bin

# plcsim picks a free port and says which.
log=$(mktemp)
"$bin/plcsim" --port 0 --quiet >"$log" 2>&1 &
plcsim_pid=$!
trap 'kill "$plcsim_pid" 2>/dev/null || true; wait "$plcsim_pid" 2>/dev/null || true; rm -f "$log"' EXIT
port=""
for _ in $(seq 50); do
  port=$(sed -n 's/^plcsim listening on [0-9.]*:\([0-9]*\)$/\1/p' "$log")
  [ -n "$port" ] && break
  kill -0 "$plcsim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "demo: plcsim did not start:" >&2
  cat "$log" >&2
  exit 1
fi
echo "demo: plcsim serves its default memory on 127.0.0.1:$port"
echo "demo: plchost reads it through the plug-in for ${seconds} s (Ctrl-C stops it)"
"$bin/plchost" --plc "127.0.0.1:$port" --protocol isotcp --requests examples/demo.xml \
  --duration "$seconds"
