#!/usr/bin/env bash
# Runs each fuzz target for a bounded time from its seed corpus.
set -euo pipefail
seconds="${1:-30}"
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/corpus/xml/* "$corpus/"
build/fuzz/bin/xml_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
