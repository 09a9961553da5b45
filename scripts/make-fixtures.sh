#!/usr/bin/env bash
# scripts/make-fixtures.sh OUT_DIR [--large]: writes the generated test and sample recordings into OUT_DIR.
# Each scripts/fixtures/NN-*.sh writes one family of recordings (in the order of NN, so later families
# may build on earlier ones); each is called as: script OUT_DIR LARGE (LARGE is 1 with --large, else 0)
# and skips what is already there and up to date. --large adds the big recordings for the benchmarks.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:?usage: make-fixtures.sh OUT_DIR [--large]}"
large=0
[ "${2:-}" = "--large" ] && large=1
mkdir -p "$out"
shopt -s nullglob
for family in "$root"/scripts/fixtures/[0-9][0-9]-*.sh; do
  bash "$family" "$out" "$large"
done
