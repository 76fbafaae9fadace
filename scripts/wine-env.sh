# Sourced by the scripts that run win32 binaries: one private 32-bit wine prefix
# and one persistent wineserver for the whole run, so each test start is cheap.
export WINEPREFIX="${WINEPREFIX:-$(pwd)/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_start() {
  mkdir -p "$WINEPREFIX"
  wineserver -p
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
  wineserver -p
}

wine_stop() {
  wineserver -k 2>/dev/null || true
}
