# shellcheck shell=bash
# Sourced by the scripts that run the end-to-end tests: starts and stops the
# Snap7 test peer (built by scripts/snap7.sh, memory in tests/peers/PeerMemory.h).
#
#   peers_start  builds the peer if needed, starts its server on the first free
#                port from $MOX_SNAP7_PORT (default 11102) and exports
#                MOX_SNAP7_ADDR=127.0.0.1:PORT for the tests, native and under wine
#   peers_stop   stops it
#
# The server reads its standard input from a pipe that this shell holds, so it
# also ends when the shell that started it ends.

_peers_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
_peers_ready_seconds=10
_peers_port_tries=20

# Starts the server on port $1; true once it has said that it listens.
_peers_try_port() {
  local line="" output
  coproc MOX_SNAP7 {
    exec "$_peers_root/build/peers/snap7_server" "$1" 2>>"$_peers_root/build/peers/snap7_server.log"
  }
  MOX_SNAP7_SERVER_PID=$!
  # Bash drops the coprocess's descriptors as soon as it has ended.
  output="${MOX_SNAP7[0]:-}"
  [ -n "$output" ] && { read -r -t "$_peers_ready_seconds" -u "$output" line || true; }
  [ "$line" = "ready $1" ] && return 0
  peers_stop
  return 1
}

peers_start() {
  [ -n "${MOX_SNAP7_SERVER_PID:-}" ] && return 0
  bash "$_peers_root/scripts/snap7.sh" >&2 || return 1
  local first="${MOX_SNAP7_PORT:-11102}" port
  for ((port = first; port < first + _peers_port_tries; port++)); do
    if _peers_try_port "$port"; then
      export MOX_SNAP7_ADDR="127.0.0.1:$port"
      echo "peers: Snap7 server at $MOX_SNAP7_ADDR (pid $MOX_SNAP7_SERVER_PID)" >&2
      return 0
    fi
  done
  echo "peers: the Snap7 server did not start; see build/peers/snap7_server.log" >&2
  return 1
}

peers_stop() {
  [ -n "${MOX_SNAP7_SERVER_PID:-}" ] || return 0
  kill "$MOX_SNAP7_SERVER_PID" 2>/dev/null || true
  wait "$MOX_SNAP7_SERVER_PID" 2>/dev/null || true
  unset MOX_SNAP7_SERVER_PID MOX_SNAP7_ADDR
}
