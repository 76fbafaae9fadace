#!/usr/bin/env bash
# Runs each fuzz target (build/fuzz/bin/NAME_fuzz) for a bounded time from its seed
# corpus (tests/fuzz/corpus/NAME), as many at once as there are cores (each has one
# to itself); a crash, a sanitizer report or a hang fails.
set -euo pipefail
seconds="${1:-15}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One target: its log in $work/NAME.log, and $work/NAME.failed when it failed.
fuzz_one() {
  local name="$1"
  mkdir "$work/$name"
  cp "tests/fuzz/corpus/$name/"* "$work/$name/"
  "build/fuzz/bin/${name}_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 "$work/$name" >"$work/$name.log" 2>&1 || touch "$work/$name.failed"
}
export -f fuzz_one
export work seconds

mapfile -t names < <(find tests/fuzz/corpus -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
printf '%s\n' "${names[@]}" | xargs -P "$(nproc)" -I{} bash -c 'fuzz_one "$1"' _ {}

failed=0
for name in "${names[@]}"; do
  echo "== ${name}_fuzz, ${seconds} s"
  if [ -e "$work/$name.failed" ]; then
    tail -n 40 "$work/$name.log"
    failed=1
  else
    grep -E '^(stat::number_of_executed_units|Done)' "$work/$name.log" || tail -n 3 "$work/$name.log"
  fi
done
exit "$failed"
