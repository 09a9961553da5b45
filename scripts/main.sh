#!/usr/bin/env bash
# The main job: installs what is needed, builds the library and writes the sample recordings
# into build/fixtures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" plain -DCMAKE_BUILD_TYPE=RelWithDebInfo
"$root/scripts/make-fixtures.sh" "$root/build/fixtures"
echo "sample recordings in $root/build/fixtures:"
ls -l "$root/build/fixtures"
