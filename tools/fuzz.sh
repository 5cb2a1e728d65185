#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time (seconds, 45 by
# default) from the committed seed corpora. A longer run:
#   tools/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-45}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for target in archive datetime; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  cp -n tests/fuzz/corpus/$target/* "$corpus/" 2>/dev/null || true
  echo "fuzzing the $target reader for $seconds s"
  build/fuzz/tests/fuzz/${target}_fuzz -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
    "$corpus" 2>&1 | grep -E "^(stat::number_of_executed_units|stat::new_units_added|==|SUMMARY|ERROR)|Done" || true
  # A crash leaves its input behind and fails the run.
  if ls crash-* leak-* timeout-* oom-* >/dev/null 2>&1; then
    echo "the $target fuzz target found a failing input"; exit 1
  fi
done
