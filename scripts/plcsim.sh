# shellcheck shell=bash
# Sourced by the scripts that run the simulator: starts plcsim on a free
# loopback port and stops it again.
#
#   plcsim_start PLCSIM [ARGS...]  starts it, waits (bounded) until it listens,
#                                  sets PLCSIM_PORT and PLCSIM_PID (and PLCSIM_PTY,
#                                  the pseudo-terminal of --pty); false when it
#                                  did not start (its output on stderr)
#   plcsim_stop                    stops it

plcsim_start() {
  local program="$1"
  shift
  _plcsim_log=$(mktemp)
  "$program" --port 0 --quiet "$@" >"$_plcsim_log" 2>&1 &
  PLCSIM_PID=$!
  PLCSIM_PORT=""
  for _ in $(seq 100); do
    PLCSIM_PORT=$(sed -n 's/^plcsim listening on [0-9.]*:\([0-9]*\)$/\1/p' "$_plcsim_log")
    if [ -n "$PLCSIM_PORT" ]; then
      PLCSIM_PTY=$(sed -n 's/^plcsim serial line on \(.*\)$/\1/p' "$_plcsim_log")
      return 0
    fi
    kill -0 "$PLCSIM_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "plcsim did not start:" >&2
  cat "$_plcsim_log" >&2
  plcsim_stop
  return 1
}

plcsim_stop() {
  [ -n "${PLCSIM_PID:-}" ] && kill "$PLCSIM_PID" 2>/dev/null && wait "$PLCSIM_PID" 2>/dev/null
  rm -f "${_plcsim_log:-}"
  PLCSIM_PID=""
  return 0
}
