#!/usr/bin/env bash
# Runs every fuzzer for a bounded time on a working copy of its seed corpus and
# prints libFuzzer's final figures. Stops at the first finding.
set -euo pipefail
build=${1:?build folder}
seconds=${2:-600}
here=$(cd "$(dirname "$0")" && pwd)
for seeds in "$here"/corpus/*/; do
  name=$(basename "$seeds")
  work="$build/fuzz-corpus/$name"
  mkdir -p "$work" "$build/fuzz-findings/$name"
  cp -n "$seeds"* "$work"/ 2>/dev/null || true
  echo "== $name: ${seconds}s"
  "$build/bin/$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$build/fuzz-findings/$name/" "$work" 2>&1 |
    grep -E '^(#[0-9]+ *DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==|SUMMARY|.*cov: )' | tail -4
done
