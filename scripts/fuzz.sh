#!/usr/bin/env bash
# Runs each fuzz target (build/fuzz/bin/NAME_fuzz) for a bounded time from its seed
# corpus (tests/fuzz/corpus/NAME); a crash, a sanitizer report or a hang fails.
set -euo pipefail
seconds="${1:-15}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for seeds in tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  echo "== ${name}_fuzz, ${seconds} s"
  mkdir "$work/$name"
  cp "$seeds"* "$work/$name/"
  "build/fuzz/bin/${name}_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 "$work/$name" >"$work/$name.log" 2>&1 || {
    tail -n 40 "$work/$name.log"
    exit 1
  }
  grep -E '^(stat::number_of_executed_units|Done)' "$work/$name.log" || tail -n 3 "$work/$name.log"
done
