#!/usr/bin/env bash
# run-embed-window-test.sh BUILD_DIR SOURCE_DIR FIXTURES WORK: an embedding program built against the
# installed player shows a recording in a Qt widget of its own on a virtual X server; what the server
# shows in the widget at the end must be ffmpeg's last picture, scaled to the widget.
set -euo pipefail
build="$1"; src="$2"; fixtures="$3"; embed_work="$4"
recording="$fixtures/framestream_h264_baseline_176x144_gop12_g711a.kxav"
video="$fixtures/h264_baseline_176x144_gop12.h264"
# Another shape than the picture's: the stretched picture fills the widget.
width=320; height=240
for needed in Xvfb openbox xdpyinfo ffmpeg ffprobe; do
  command -v "$needed" >/dev/null || { echo "FAIL: $needed is needed (scripts/install-deps.sh installs it)"; exit 1; }
done
[ -f "$recording" ] && [ -f "$video" ] || { echo "FAIL: no recordings in $fixtures (scripts/make-fixtures.sh)"; exit 1; }

shots="$embed_work-shots"
source "$src/tests/e2e/desktop-common.sh"
start_display

frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$video")
ffmpeg -nostdin -v error -i "$video" -vf "select=eq(n\,$((frames - 1))),scale=$width:$height:flags=bicubic" \
  -frames:v 1 -pix_fmt bgra -f rawvideo "$work/reference.bgra"
"$src/tests/embed/run-embed-test.sh" "$build" "$src" "$embed_work" embed_window \
  "$recording" "$work/reference.bgra" "$width" "$height"
