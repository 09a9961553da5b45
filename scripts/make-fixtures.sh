#!/usr/bin/env bash
# scripts/make-fixtures.sh OUT_DIR: writes the generated test and sample recordings into OUT_DIR.
set -euo pipefail
out="${1:?usage: make-fixtures.sh OUT_DIR}"
mkdir -p "$out"
