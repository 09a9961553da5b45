#!/usr/bin/env bash
# scripts/run-player.sh BUILD_DIR RECORDING: starts the desktop player of BUILD_DIR on RECORDING. On a
# machine without a display it says so, runs the player in a virtual X server (Xvfb and openbox), lets it
# play for a few seconds with the recording repeating, writes a screenshot to build/player-screenshot.png
# and closes it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"; recording="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
program="$build/app/KXMediaPlayer"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$program" "$recording"
fi

echo "no display: running the player under Xvfb and writing a screenshot"
screenshot="$root/build/player-screenshot.png"
work="$(mktemp -d)"
source "$root/scripts/process-cleanup.sh"
# A copy of its own, so the demonstration leaves the build's settings and list alone; the one recording
# repeats (play mode single-circle) so that the screenshot always catches it playing.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
mkdir -p "$work/prefix/bin/mplayerstyle/config"
printf '[PLAY_MODE]\r\nPlayMode=3\r\n[SHOW_LIST]\r\nShowList=1\r\n' > "$work/prefix/bin/mplayerstyle/config/configinfo.ini"
# Xvfb picks a free display number and writes it once it is ready (a number chosen here could be in
# use by another server, whose end would take the player's display with it).
Xvfb -displayfd 3 -screen 0 1024x700x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" "$work/prefix/bin/KXMediaPlayer" "$recording" &
player=$!
pids+=($player)
for _ in $(seq 150); do xdotool search --onlyvisible --name '^KXMediaPlayer$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 3
mkdir -p "$(dirname "$screenshot")"
import -window root "$screenshot"
# SIGTERM ends the player as its close button does.
kill "$player"
status=0; wait "$player" || status=$?
[ "$status" -eq 0 ] || echo "the player ended with status $status"
echo "screenshot of the running player: $screenshot"
