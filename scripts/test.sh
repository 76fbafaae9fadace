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
tsan_tests=(platform_tests threads_tests settings_tests plugins_tests plc_tests nodave_tests
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

only_tests() {
  local IFS='|'
  echo "^($*)\$"
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
if wine32_runs; then
  build win32
  step "test win32"
  ctest --preset win32 -j "$jobs"
else
  build win32 --target "${win32_products[@]}"
fi
build win64
step "test win64"
# The Windows builds have no simulator of their own: plchost.exe reads the native one.
export MOX_PLCSIM="$PWD/build/native/bin/plcsim"
ctest --preset win64 -j "$jobs"

build fuzz --target fuzzers
step "fuzz, ${fuzz_seconds} s a target"
bash scripts/fuzz.sh "$fuzz_seconds"

step "all builds passed"
