#!/usr/bin/env bash
# The test command: installs what is missing, builds every build (native,
# AddressSanitizer+UBSan, ThreadSanitizer, win32 and win64 under wine, fuzz), runs every
# test, the static checks and a bounded fuzz run. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)
fuzz_seconds="${MOX_FUZZ_SECONDS:-30}"

step() { printf '\n==== %s\n' "$*"; }

build() {
  step "build $1"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}

step "format check"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

for preset in native asan tsan; do
  build "$preset"
  step "test $preset"
  ctest --preset "$preset" -j "$jobs"
done

step "static analysis"
bash scripts/tidy.sh build/native

source scripts/wine-env.sh
wine_start
trap wine_stop EXIT
build win32
if wine32_runs; then
  step "test win32"
  ctest --preset win32 -j "$jobs"
fi
build win64
step "test win64"
ctest --preset win64 -j "$jobs"

build fuzz
step "fuzz ${fuzz_seconds}s"
bash scripts/fuzz.sh "$fuzz_seconds"

step "all builds passed"
