#!/usr/bin/env bash
# run-desktop-test.sh BUILD_DIR SHOTS [LANGUAGE]
# The desktop player end to end in a real X server: installs BUILD_DIR into a fresh prefix, starts Xvfb
# and openbox, and drives the installed program with xdotool: a recording from the command line, Space
# pauses and resumes, Ctrl+Down steps a frame, Ctrl+I writes a snapshot, double clicks maximise and go
# full screen, Escape returns, Ctrl+O opens another recording, the close button ends the program, and a
# restart shows the list again. LANGUAGE 2 runs it with the Chinese captions. Screenshots of every step
# go to SHOTS. Needs xvfb, openbox, xdotool, imagemagick and x11-utils (scripts/install-deps.sh).
set -euo pipefail
build="$(cd "$1" && pwd)"; shots="$2"; language="${3:-1}"
source "$(dirname "$0")/desktop-common.sh"
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
recording="$work/first.ts"; second="$work/second.ts"
make_recording testsrc2 "$recording"
make_recording testsrc "$second"
program="$prefix/bin/KXMediaPlayer"
config="$prefix/bin/mplayerstyle/config"
mkdir -p "$config"
printf '[LANGUAGE]\r\nLanguage=%s\r\n[SHOW_LIST]\r\nShowList=1\r\n[SNAPSHOT]\r\nSnapShotPath=%s\r\n' \
  "$language" "$work/snaps" > "$config/configinfo.ini"
start_display

# A crop of the middle of the video area (the list is shown: the video ends 177 pixels from the right).
crop() {
  geometry "$1"
  local vw=$((W - 177 - 10)) vh=$((H - 76 - 25 - 18))
  import -window root -crop "$((vw / 2))x$((vh / 2))+$((X + 10 + vw / 4))+$((Y + 25 + vh / 4))" +repage "$2"
}
net_state() { xprop -id "$1" _NET_WM_STATE; }

start() {
  # From the root folder: every data file is found through the program's own folder.
  (cd / && exec "$program" "$@") >"$work/program.log" 2>&1 &
  pid=$!
  pids+=($pid)
  wait_for 150 has_window "$pid" || fail "no main window"
  win="$(window_of $pid)"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
}

step "open from the command line"
start "$recording"
sleep 2
shot 01-playing
crop "$win" "$work/a.png"
[ "$(colours "$work/a.png")" -gt 50 ] || fail "the video area shows no picture"

step "Space pauses and resumes"
xdotool key --window "$win" space
sleep 0.5
crop "$win" "$work/p1.png"; sleep 0.5; crop "$win" "$work/p2.png"
shot 02-paused
differ "$work/p1.png" "$work/p2.png" && fail "paused picture still moves"
step "Ctrl+Down steps one frame"
xdotool key --window "$win" ctrl+Down
sleep 0.5
crop "$win" "$work/s1.png"
differ "$work/p2.png" "$work/s1.png" || fail "the frame step showed no new picture"
shot 03-stepped
xdotool key --window "$win" space
sleep 0.3
crop "$win" "$work/r1.png"; sleep 0.5; crop "$win" "$work/r2.png"
differ "$work/r1.png" "$work/r2.png" || fail "resumed picture does not move"

step "Ctrl+I writes a snapshot"
xdotool key --window "$win" ctrl+i
has_snapshot() { compgen -G "$work/snaps/*.jpg" >/dev/null; }
wait_for 50 has_snapshot || fail "no snapshot written"
snapshot="$(ls "$work"/snaps/*.jpg | head -n 1)"
expected_size=640x360
[ "$(identify -format %wx%h "$snapshot")" = "$expected_size" ] || fail "snapshot size $(identify -format %wx%h "$snapshot") is not $expected_size"

step "double clicks: maximised, full screen; Escape returns"
geometry "$win"
xdotool mousemove "$((X + 60))" "$((Y + 60))" click --repeat 2 --delay 100 1
wait_for 30 sh -c "xprop -id $win _NET_WM_STATE | grep -q MAXIMIZED" || fail "not maximised: $(net_state "$win")"
shot 04-maximised
sleep 0.5
geometry "$win"
xdotool mousemove "$((X + 60))" "$((Y + 60))" click --repeat 2 --delay 100 1
wait_for 30 sh -c "xprop -id $win _NET_WM_STATE | grep -q FULLSCREEN" || fail "not full screen: $(net_state "$win")"
shot 05-fullscreen
xdotool key --window "$win" Escape
wait_for 30 sh -c "! xprop -id $win _NET_WM_STATE | grep -q -e FULLSCREEN -e MAXIMIZED" || fail "Escape did not restore: $(net_state "$win")"
sleep 0.5
shot 06-restored

step "Ctrl+O opens another recording"
xdotool key --window "$win" ctrl+o
wait_for 50 sh -c "xdotool search --onlyvisible --name . 2>/dev/null | grep -qv '^$win\$'" || fail "no open dialog"
sleep 0.5
xdotool type --delay 20 "$second"
xdotool key Return
sleep 2
shot 07-second-file
crop "$win" "$work/o1.png"; sleep 0.5; crop "$win" "$work/o2.png"
differ "$work/o1.png" "$work/o2.png" || fail "the opened recording does not play"

step "the close button ends the program"
geometry "$win"
xdotool mousemove "$((X + W - 30 + 8))" "$((Y + 3 + 8))" click 1
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "still running 5 s after the close button"
status=0; wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
grep -q "$(basename "$second")" "$config/listinfo.txt" || fail "the list file does not hold the opened recording"
grep -q "ShowList" "$config/configinfo.ini" || fail "settings file lost"

step "a restart shows the list again"
start
sleep 2
shot 08-restarted
geometry "$win"
import -window root -crop "150x60+$((X + W - 170))+$((Y + 30))" +repage "$work/list.png"
[ "$(colours "$work/list.png")" -gt 2 ] || fail "the list panel is empty after the restart"
kill "$pid"
echo "desktop player end to end: passed (language $language); screenshots in $shots"
