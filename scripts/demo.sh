#!/usr/bin/env bash
# The demo: builds the simulator, the command-line host, the plug-in and our
# protocol library, starts plcsim on loopback and plchost reading four of its
# animated values, shows them live in the table view for about 20 seconds (or
# until Ctrl-C), then stops everything it started. MOX_DEMO_PROTOCOL names
# another protocol than ISO over TCP (ppi, mpi, mpi3, as511, ibh, nlpro, ...):
# plcsim then plays that PLC, adapter or gateway, a serial one on a TCP port as a
# serial device server carries its line.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${MOX_DEMO_SECONDS:-20}"
protocol="${MOX_DEMO_PROTOCOL:-isotcp}"

bash scripts/install-deps.sh --products
cmake --preset demo >/dev/null
cmake --build --preset demo -j "$(nproc)"
bin=build/demo/bin

# plcsim picks a free port and says which.
source scripts/plcsim.sh
trap plcsim_stop EXIT
case "$protocol" in
  isotcp) simulated=() channel=(--plc) ;;
  ibh | ibhppi | nlpro) simulated=(--protocol "$protocol") channel=(--plc) ;;
  *) simulated=(--protocol "$protocol") channel=(--serial-tcp) ;;
esac
plcsim_start "$bin/plcsim" "${simulated[@]}" || exit 1
port="$PLCSIM_PORT"
echo "demo: plcsim serves its default memory on 127.0.0.1:$port ($protocol)"
echo "demo: plchost reads it through the plug-in for ${seconds} s (Ctrl-C stops it)"
"$bin/plchost" "${channel[@]}" "127.0.0.1:$port" --protocol "$protocol" \
  --read DB1.DBD0:dint=COUNTER --read DB1.DBD4:real=SINE --read DB1.DBW8:int=RAMP \
  --read DB1.DBB10=TOGGLE --interval 500ms --duration "$seconds"
