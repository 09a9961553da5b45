#!/usr/bin/env bash
# run-embed-test.sh BUILD_DIR SOURCE_DIR FRAMESTREAM WORK: installs the player from BUILD_DIR into a
# fresh prefix, builds the embedding program of SOURCE_DIR/tests/embed against that installed copy
# only (find_package(KXPlayer)), and runs it on FRAMESTREAM.
set -euo pipefail
build="$1"; source="$2"; stream="$3"; work="$4"
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$source/tests/embed" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/build" >/dev/null
"$work/build/embed_player" "$stream"
