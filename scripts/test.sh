#!/usr/bin/env bash
# Every test: installs what is needed, writes the generated recordings, then builds and runs
#   1. the whole suite (plain build),
#   2. the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer,
#   3. the thread suites under ThreadSanitizer,
#   4. every libFuzzer target for a fixed time (KX_FUZZ_SECONDS, default 60), side by side.
# A failing test or any sanitizer report fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

scripts/install-deps.sh
scripts/make-fixtures.sh "$root/build/fixtures"

passed=0
failed=0
run_ctest() {
  local build="$1"; shift
  local log="$root/build/$build-ctest.log"
  local status=0
  ctest --test-dir "$root/build/$build" -j "${KX_JOBS:-8}" --output-on-failure --timeout 600 --no-tests=error "$@" 2>&1 | tee "$log" || status=$?
  local line
  line=$(grep -E "tests passed, [0-9]+ tests? failed out of [0-9]+" "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    local bad total
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    total=$(echo "$line" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  fi
  if [ "$status" -ne 0 ]; then
    echo "test run $build failed"
    echo "all suites: $passed passed, $((failed > 0 ? failed : 1)) failed"
    exit 1
  fi
}

echo "== plain build"
scripts/build.sh plain -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_ctest plain

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
scripts/build.sh asan -DCMAKE_BUILD_TYPE=Debug -DKX_SANITIZE=address -DKX_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest asan

echo "== ThreadSanitizer (thread suites)"
scripts/build.sh tsan -DCMAKE_BUILD_TYPE=Debug -DKX_SANITIZE=thread -DKX_BUILD_BENCH=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  run_ctest tsan -L thread

echo "== libFuzzer targets"
CC=clang CXX=clang++ scripts/build.sh fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKX_FUZZ=ON
scripts/run-fuzzers.sh "$root/build/fuzz" "${KX_FUZZ_SECONDS:-60}"

echo "all suites: $passed passed, $failed failed"
