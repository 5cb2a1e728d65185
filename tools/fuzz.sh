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
  findings=build/fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  cp -n tests/fuzz/corpus/$target/* "$corpus/" 2>/dev/null || true
  echo "fuzzing the $target reader for $seconds s"
  # The fuzzer's own verdict decides; a failing input is kept in the build
  # folder, never in the sources.
  status=0
  build/fuzz/tests/fuzz/${target}_fuzz -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
    -artifact_prefix="$findings/" "$corpus" > "build/fuzz/$target.log" 2>&1 || status=$?
  grep -E "^(stat::number_of_executed_units|stat::new_units_added|==|SUMMARY|ERROR)|Done" "build/fuzz/$target.log" || true
  if [ "$status" -ne 0 ]; then
    echo "the $target fuzz target failed (exit $status); its input is in $findings/"
    exit "$status"
  fi
done
