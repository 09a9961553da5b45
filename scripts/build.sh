#!/usr/bin/env bash
# scripts/build.sh NAME [cmake options...]: configures and builds build/NAME with 8 jobs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
name="$1"; shift
cmake -S "$root" -B "$root/build/$name" -DKX_GENERATED_FIXTURES="$root/build/fixtures" "$@" >/dev/null
cmake --build "$root/build/$name" -j "${KX_JOBS:-8}"
