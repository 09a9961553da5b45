#!/usr/bin/env bash
# The main job: installs what is needed, builds the library and the desktop player, writes the sample
# recordings into build/fixtures and starts the player on one of them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" plain -DCMAKE_BUILD_TYPE=RelWithDebInfo
"$root/scripts/make-fixtures.sh" "$root/build/fixtures"
echo "sample recordings in $root/build/fixtures:"
ls -l "$root/build/fixtures"
# The desktop player on the bundled sample recording (under Xvfb, with a screenshot, when there is no
# display).
"$root/scripts/run-player.sh" "$root/build/plain" "$root/build/fixtures/framestream_h264_high_bframes_640x360_gop30_g711a.kxav"
