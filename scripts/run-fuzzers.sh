#!/usr/bin/env bash
# scripts/run-fuzzers.sh BUILD_DIR SECONDS: runs every *_fuzz target of a fuzzing build for SECONDS
# each, from its seed corpus in tests/fuzz/corpus/<name>/, side by side on the machine's processors
# (KX_FUZZ_JOBS at once, default nproc). Prints each target's executions; a crash or sanitizer report
# in any target fails, after every target has finished.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
seconds="$2"
jobs_max="${KX_FUZZ_JOBS:-$(nproc)}"
shopt -s nullglob

fuzz_one() {
  local target="$1" name seeds work
  name=$(basename "$target")
  seeds="$root/tests/fuzz/corpus/${name%_fuzz}"
  work="$build/fuzz-corpus/$name"
  mkdir -p "$work"
  local corpora=("$work")
  [ -d "$seeds" ] && corpora+=("$seeds")
  local status=0
  "$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 \
    -artifact_prefix="$build/fuzz-corpus/$name-" "${corpora[@]}" >"$build/fuzz-corpus/$name.log" 2>&1 || status=$?
  echo "$status" >"$build/fuzz-corpus/$name.status"
}

mkdir -p "$build/fuzz-corpus"
targets=("$build"/tests/fuzz/*_fuzz)
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $build/tests/fuzz"; exit 1; }
echo "fuzzing ${#targets[@]} targets for ${seconds}s each, $jobs_max at a time"
for target in "${targets[@]}"; do
  rm -f "$build/fuzz-corpus/$(basename "$target").status"
  while [ "$(jobs -rp | wc -l)" -ge "$jobs_max" ]; do wait -n || true; done
  fuzz_one "$target" &
done
wait

failed=0
for target in "${targets[@]}"; do
  name=$(basename "$target")
  log="$build/fuzz-corpus/$name.log"
  status=$(cat "$build/fuzz-corpus/$name.status" 2>/dev/null || echo missing)
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' | tail -n 1 || true)
  echo "$name: ${runs:-?} executions in ${seconds}s, exit $status"
  if [ "$status" != 0 ]; then
    tail -n 60 "$log"
    echo "fuzzer $name found a fault"
    failed=1
  fi
done
exit "$failed"
