#!/usr/bin/env bash
# The test command: installs what is missing, builds every build (native,
# AddressSanitizer+UBSan, ThreadSanitizer, win32 and win64 under wine, fuzz), runs every
# test against the Snap7 test peer, the static checks and a bounded fuzz run. Exits
# non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)
fuzz_seconds="${MOX_FUZZ_SECONDS:-15}"
# The threaded code's tests: what ThreadSanitizer must see.
tsan_tests=(platform_tests threads_tests params_tests settings_tests plugins_tests plc_tests nodave_tests
  libnodave_tests host_tests dialog_tests e2e_tests)
# What the shipping 32-bit build consists of; its tests are built only where they can run.
win32_products=(simatic nodave plchost)

# Each step says when it starts, in seconds since the command began.
step() { printf '\n==== %s (at %d s)\n' "$*" "$SECONDS"; }

configure() { cmake --preset "$1" >/dev/null; }

build() {
  step "build $1"
  configure "$1"
  cmake --build --preset "$1" -j "$jobs" "${@:2}"
}

# The tests of a build's preset that ctest selects with the given options.
suites() {
  ctest --preset "$1" -N "${@:2}" | sed -n 's/^ *Test *#[0-9]*: //p' | tr '\n' ' '
}

# A suite and the part of it that starts threads (NAME_threads).
only_tests() {
  local IFS='|'
  echo "^($*)(_threads)?\$"
}

step "format check"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

source scripts/peers.sh
source scripts/wine-env.sh
trap 'peers_stop; wine_stop' EXIT
step "test peer"
peers_start

for preset in native asan; do
  build "$preset"
  step "test $preset"
  ctest --preset "$preset" -j "$jobs"
done

build tsan --target "${tsan_tests[@]}"
step "test tsan"
ctest --preset tsan -j "$jobs" -R "$(only_tests "${tsan_tests[@]}")"

step "static analysis"
bash scripts/tidy.sh build/native

wine_start
# The Windows builds have no simulator of their own: plchost.exe reads the native one.
export MOX_PLCSIM="$PWD/build/native/bin/plcsim"
case "$(wine32_mode)" in
  native)
    build win32
    step "test win32 under 32-bit wine: every suite"
    ctest --preset win32 -j "$jobs"
    build win64
    step "test win64 under wine64: every suite"
    ctest --preset win64 -j "$jobs"
    ;;
  emulated)
    # A second thread breaks 32-bit wine under qemu: the suites labelled
    # win32-emulated (their thread cases split off) run in the shipping build,
    # the others in win64.
    build win32 --target "${win32_products[@]}" win32_emulated_tests
    step "test win32 under 32-bit wine in qemu's user-mode emulation: $(suites win32 -L win32-emulated)"
    MOX_TEST_WATCHDOG=0 wine32_emulated ctest --preset win32 -j "$jobs" -L win32-emulated
    build win64 --target other_tests
    step "test win64 under wine64: $(suites win64 -LE win32-emulated)"
    ctest --preset win64 -j "$jobs" -LE win32-emulated
    ;;
  *)
    build win32 --target "${win32_products[@]}"
    build win64
    step "test win64 under wine64 (no 32-bit wine here): every suite"
    ctest --preset win64 -j "$jobs"
    ;;
esac

build fuzz --target fuzzers
step "fuzz, ${fuzz_seconds} s a target"
bash scripts/fuzz.sh "$fuzz_seconds"

step "all builds passed"
