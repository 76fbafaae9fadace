#!/usr/bin/env bash
# The demo: builds the simulator, the command-line host, the plug-in and our
# protocol library, starts plcsim on loopback and plchost reading four of its
# animated values, shows them live in the table view for about 20 seconds (or
# until Ctrl-C), then stops everything it started.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${MOX_DEMO_SECONDS:-20}"

bash scripts/install-deps.sh --products
cmake --preset demo >/dev/null
cmake --build --preset demo -j "$(nproc)"
bin=build/demo/bin

# plcsim picks a free port and says which.
source scripts/plcsim.sh
trap plcsim_stop EXIT
plcsim_start "$bin/plcsim" || exit 1
port="$PLCSIM_PORT"
echo "demo: plcsim serves its default memory on 127.0.0.1:$port"
echo "demo: plchost reads it through the plug-in for ${seconds} s (Ctrl-C stops it)"
"$bin/plchost" --plc "127.0.0.1:$port" --read DB1.DBD0:dint=COUNTER --read DB1.DBD4:real=SINE \
  --read DB1.DBW8:int=RAMP --read DB1.DBB10=TOGGLE --interval 500ms --duration "$seconds"
