#!/usr/bin/env bash
# scripts/run-fuzzers.sh BUILD_DIR SECONDS: runs every *_fuzz target of a fuzzing build for SECONDS
# each, from its seed corpus in tests/fuzz/corpus/<name>/. A crash or sanitizer report fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
seconds="$2"
shopt -s nullglob
for target in "$build"/tests/fuzz/*_fuzz; do
  name=$(basename "$target")
  seeds="$root/tests/fuzz/corpus/${name%_fuzz}"
  work="$build/fuzz-corpus/$name"
  mkdir -p "$work"
  echo "fuzzing $name for ${seconds}s"
  corpora=("$work")
  [ -d "$seeds" ] && corpora+=("$seeds")
  "$target" -max_total_time="$seconds" -print_final_stats=0 -rss_limit_mb=2048 \
    -artifact_prefix="$build/fuzz-corpus/$name-" "${corpora[@]}" 2>"$build/fuzz-corpus/$name.log" \
    || { tail -n 60 "$build/fuzz-corpus/$name.log"; echo "fuzzer $name found a fault"; exit 1; }
done
