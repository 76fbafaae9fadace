# Sourced by the scripts that run Windows binaries: one private wine prefix and
# one persistent wineserver for the whole run, so each test start is cheap.
export WINEPREFIX="${WINEPREFIX:-$(pwd)/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# True where this machine can execute 32-bit programs (wine's 32-bit loader);
# some virtual machines' kernels cannot, and then only the win64 tests run.
wine32_runs() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

wine_start() {
  mkdir -p "$WINEPREFIX"
  # A server already running for this prefix is what we want.
  wineserver -p 2>/dev/null || true
  if [ ! -f "$WINEPREFIX/.booted" ]; then
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    touch "$WINEPREFIX/.booted"
  fi
  wine32_runs || echo "note: 32-bit wine cannot run here (not installed, or the kernel cannot run 32-bit programs); the Windows tests run in the win64 build" >&2
}

wine_stop() {
  wineserver -k 2>/dev/null || true
}
