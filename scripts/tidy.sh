#!/usr/bin/env bash
# Static analysis of the product's native sources (not tests or benchmarks, to
# keep the run short; not the Windows-only files, which the native build does
# not compile) with the checks of .clang-tidy.
set -euo pipefail
build_dir="${1:-build/native}"
mapfile -t sources < <(git ls-files '*.cpp' | grep -v -E '^(platform/win32|tests|bench)/' |
  grep -v -E 'Win32\.cpp$')
run-clang-tidy-14 -quiet -p "$build_dir" -j "$(nproc)" "${sources[@]/#/$(pwd)/}" >/tmp/mox-tidy.log 2>&1 || {
  grep -E 'warning:|error:' /tmp/mox-tidy.log | sort -u
  exit 1
}
echo "clang-tidy: ${#sources[@]} files clean"
