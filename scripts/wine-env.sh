# shellcheck shell=bash
# Sourced by the scripts that run Windows binaries: one private wine prefix and
# one persistent wineserver for the whole run, so each test start is cheap; and
# how this machine runs the shipping build's 32-bit programs.
#
#   wine32_mode      prints native (wine32 runs on the kernel), emulated (32-bit
#                    wine from the private root of scripts/wine32-root.sh under
#                    qemu's user-mode emulation) or none; MOX_WIN32_EMULATE=1
#                    chooses emulated where it can be set up even though native
#                    would run. Decided once per run.
#   wine_start       boots the prefix (with its 32-bit side when emulated), starts
#                    the wineserver and the prefix's system processes
#   wine32_emulated CMD...
#                    runs CMD with 32-bit programs executed by qemu and the
#                    private root's wine first on PATH as "wine"
#   wine_stop        stops the wineserver
export WINEPREFIX="${WINEPREFIX:-$(pwd)/build/wineprefix}"
export WINEDEBUG=-all
# A crashing program ends at once instead of waiting in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

_wine32_root="${MOX_WINE32_ROOT:-/opt/mox-wine32}"
_wine32_qemu=/usr/bin/qemu-i386-static
_wine32_binfmt_name=mox-qemu-i386
# i386 ELF programs, static and position-independent (e_type 2 or 3).
_wine32_binfmt_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
_wine32_binfmt_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# Registers i386 programs with qemu in the binfmt_misc mounted at $1 (mounted
# first when it is not), unless an entry of that name is there already.
_wine32_register='
  mount -t binfmt_misc binfmt_misc "$1" 2>/dev/null || true
  [ -e "$1/'$_wine32_binfmt_name'" ] ||
    echo ":'$_wine32_binfmt_name':M::'$_wine32_binfmt_magic':'$_wine32_binfmt_mask':'$_wine32_qemu':OCF" >"$1/register"'

# A 93-byte i386 program that only exits with 0.
_wine32_probe_bytes='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'

# True when some binfmt_misc entry of this machine hands i386 programs to qemu:
# then even a program that "runs" is emulated.
_wine32_machine_emulates() {
  grep -l -s -x 'interpreter .*qemu-i386.*' /proc/sys/fs/binfmt_misc/* 2>/dev/null |
    xargs -r grep -l -x enabled >/dev/null 2>&1
}

# True where the kernel itself executes 32-bit programs.
kernel_runs_i386() {
  local probe status=0
  probe=$(mktemp)
  printf '%b' "$_wine32_probe_bytes" >"$probe"
  chmod 755 "$probe"
  "$probe" 2>/dev/null || status=1
  rm -f "$probe"
  [ "$status" -eq 0 ] && ! _wine32_machine_emulates
}

# True when binfmt_misc can be mounted in a user namespace of our own (Linux
# 6.7 and later): the registration then touches nothing outside the run.
_wine32_private_binfmt() {
  unshare --user --map-root-user --mount \
    sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' 2>/dev/null
}

_wine32_emulation_ready() {
  [ -x "$_wine32_qemu" ] && [ -f "$_wine32_root/.complete" ] || return 1
  _wine32_private_binfmt && return 0
  # Else the machine-wide registration, only where the kernel runs no 32-bit
  # program at all, so no native one is taken over by the emulator.
  [ "$(id -u)" -eq 0 ] && ! kernel_runs_i386
}

wine32_mode() {
  if [ -z "${MOX_WINE32_MODE:-}" ]; then
    if [ "${MOX_WIN32_EMULATE:-0}" != 1 ] && kernel_runs_i386 &&
      /usr/lib/wine/wine --version >/dev/null 2>&1; then
      MOX_WINE32_MODE=native
    elif _wine32_emulation_ready; then
      MOX_WINE32_MODE=emulated
    else
      MOX_WINE32_MODE=none
    fi
    export MOX_WINE32_MODE
  fi
  echo "$MOX_WINE32_MODE"
}

wine32_emulated() {
  local env=(env "QEMU_LD_PREFIX=$_wine32_root" "PATH=$_wine32_root/mox:$PATH")
  if _wine32_private_binfmt; then
    unshare --user --map-root-user --mount -- \
      bash -c "$_wine32_register"' && shift && exec "$@"' _ /proc/sys/fs/binfmt_misc \
      "${env[@]}" "$@"
  else
    bash -c "$_wine32_register" _ /proc/sys/fs/binfmt_misc
    "${env[@]}" "$@"
  fi
}

wine_start() {
  local stamp="$WINEPREFIX/.booted" kind=win64
  wine32_mode >/dev/null
  [ "$(wine32_mode)" = emulated ] && kind=wow64
  # A prefix made without the 32-bit side lacks syswow64: made anew.
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" != "$kind" ] && [ "$kind" = wow64 ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  # A persistent server for the first boot and the driver setting below (started anew after it).
  wineserver -p 2>/dev/null || true
  if [ ! -f "$stamp" ]; then
    if [ "$kind" = wow64 ]; then
      wine32_emulated wine wineboot -i >/dev/null 2>&1
    else
      /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    fi
    echo "$kind" >"$stamp"
  fi
  # The desktop's process (explorer) needs a graphics driver, and without a display
  # only wine's null driver loads; without a desktop every test program that makes a
  # window waits for explorer's failed start. A desktop started before the setting
  # (by the prefix's first boot) stays without a driver: the server starts anew.
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
    </dev/null >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p 2>/dev/null || true
  # The system processes (services, explorer, ...) are started here, detached from
  # every pipe of ours: else the first test starts them, they hold its output pipe
  # as long as the server lives, and ctest waits for that test until the run ends.
  /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1 || true
  # Explorer ends a second after the last program using the desktop; a test that starts
  # it anew hands it its output pipe, and ctest then waits for that test as long as
  # other tests keep the desktop in use. An idle notepad, detached like the system
  # processes, keeps the desktop until wine_stop.
  /usr/lib/wine/wine64 notepad.exe </dev/null >/dev/null 2>&1 &
  case "$(wine32_mode)" in
    native) ;;
    emulated) echo "note: the kernel runs no 32-bit programs here (or MOX_WIN32_EMULATE=1): 32-bit wine runs under qemu's user-mode emulation" >&2 ;;
    *) echo "note: 32-bit wine cannot run here (not installed, or the kernel cannot run 32-bit programs, and no emulation): the Windows tests run in the win64 build" >&2 ;;
  esac
}

wine_stop() {
  wineserver -k 2>/dev/null || true
}
