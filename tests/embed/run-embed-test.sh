#!/usr/bin/env bash
# run-embed-test.sh BUILD_DIR SOURCE_DIR WORK PROGRAM [ARGUMENT...]: installs the player from BUILD_DIR
# into a fresh prefix, builds the embedding programs of SOURCE_DIR/tests/embed against that installed
# copy only (find_package(KXPlayer)), and runs PROGRAM with the arguments.
set -euo pipefail
build="$1"; source="$2"; work="$3"; program="$4"
shift 4
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$source/tests/embed" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/build" --target "$program" >/dev/null
"$work/build/$program" "$@"
