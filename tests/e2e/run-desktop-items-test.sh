#!/usr/bin/env bash
# run-desktop-items-test.sh BUILD_DIR SHOTS
# Moving from item to item in the installed desktop player, in a real X server (Xvfb and openbox):
# recordings of different shapes one after the other (the end of one in order mode, then double clicks
# in the list) leave nothing of the earlier picture in the black bands around the new one; a relative
# path on the command line is listed absolute and plays again after a restart from another folder; a
# file named "-name.ts" is given after "--"; "Previous" past an item that cannot be played lands on the
# item before it. Screenshots of every step go to SHOTS.
set -euo pipefail
build="$(cd "$1" && pwd)"; shots="$2"
source "$(dirname "$0")/desktop-common.sh"
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
mkdir -p "$work/clips"
square="$work/clips/square.ts"; wide="$work/clips/wide.ts"
make_recording testsrc2 "$square" 3 360x360
make_recording testsrc "$wide" 60 640x160
make_recording "color=c=red" "$work/clips/red.ts" 60 320x240
make_recording "color=c=blue" "$work/clips/blue.ts" 60 320x240
cp "$wide" "$work/clips/-name.ts"
program="$prefix/bin/KXMediaPlayer"
config="$prefix/bin/mplayerstyle/config"
mkdir -p "$config"
# settings PLAY_MODE LIST_ENTRY...: the play mode and the list of the next start.
settings() {
  printf '[LANGUAGE]\r\nLanguage=1\r\n[SHOW_LIST]\r\nShowList=1\r\n[PLAY_MODE]\r\nPlayMode=%s\r\n' "$1" \
    >"$config/configinfo.ini"
  shift
  : >"$config/listinfo.txt"
  for entry in "$@"; do printf '%s\r\n' "$entry" >>"$config/listinfo.txt"; done
}
start_display

# start FOLDER ARGUMENT...: the program started from FOLDER.
start() {
  local folder="$1"; shift
  (cd "$folder" && exec "$program" "$@") >"$work/program.log" 2>&1 &
  pid=$!
  pids+=($pid)
  wait_for 150 has_window "$pid" || fail "no main window"
  win="$(window_of $pid)"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  geometry "$win"
}
# The close button ends the program, which saves the list.
close_program() {
  geometry "$win"
  xdotool mousemove "$((X + W - 30 + 8))" "$((Y + 3 + 8))" click 1
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "still running 5 s after the close button"
  local status=0; wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "exit status $status"
}

# The video area on the screen (the list is shown: the video ends 177 pixels from the right; the
# status strip is 18 pixels high): VX VY VW VH.
video_area() { VX=$((X + 10)); VY=$((Y + 25)); VW=$((W - 177 - 10)); VH=$((H - 25 - 76 - 18)); }
# moving NAME: a crop of the middle of the picture changes within half a second.
moving() {
  video_area
  local crop="$((VW / 4))x$((VH / 4))+$((VX + 3 * VW / 8))+$((VY + 3 * VH / 8))"
  import -window root -crop "$crop" +repage "$work/$1-a.png"; sleep 0.5
  import -window root -crop "$crop" +repage "$work/$1-b.png"
  differ "$work/$1-a.png" "$work/$1-b.png"
}
# bands_are_background NAME: the bands above and below a 4:1 picture (the wide recording) hold the
# background colour, black, and nothing else.
bands_are_background() {
  video_area
  local picture=$((VW / 4)) band
  band=$(((VH - picture) / 2))
  [ "$band" -gt 20 ] || fail "the video area ${VW}x${VH} leaves no band to look at"
  local x=$((VX + 4)) w=$((VW - 8)) h=$((band - 8))
  import -window root -crop "${w}x${h}+${x}+$((VY + 4))" +repage "$work/$1-top.png"
  import -window root -crop "${w}x${h}+${x}+$((VY + VH - band + 4))" +repage "$work/$1-bottom.png"
  for part in top bottom; do
    local brightest
    brightest="$(convert "$work/$1-$part.png" -colorspace Gray -format '%[fx:round(maxima*255)]' info:)"
    [ "$brightest" -le 2 ] || { cp "$work/$1-$part.png" "$shots/$1-$part-band.png"; return 1; }
  done
}
# The centre of the list panel's row ROW (0 first): ROW_X ROW_Y.
list_row() {
  ROW_X=$((X + W - 177 + 2 + 3 + 60)); ROW_Y=$((Y + 25 + 25 + ${ROW_HEIGHT:-18} * $1 + 9))
}
double_click_row() {
  list_row "$1"
  xdotool mousemove "$ROW_X" "$ROW_Y" click --repeat 2 --delay 80 1
}
# colour_shown: the mean R G B of the middle of the picture.
colour_shown() {
  video_area
  import -window root -crop "40x40+$((VX + VW / 2 - 20))+$((VY + VH / 2 - 20))" +repage "$work/colour.png"
  convert "$work/colour.png" -format '%[fx:round(mean.r*255)] %[fx:round(mean.g*255)] %[fx:round(mean.b*255)]' info:
}

step "order mode: a square recording, then a wide one"
settings 2 "$square" "$wide"
start / "$square"
sleep 1.5
shot 01-square
moving square || fail "the square recording does not play"
wait_for 100 bands_are_background order || true
sleep 2
shot 02-wide-after-square
moving wide || fail "the wide recording does not play after the square one"
bands_are_background order || fail "the bands around the wide picture keep the square picture (see $shots)"

step "double clicks in the list: the square recording, then the wide one"
double_click_row 0
sleep 1
shot 03-square-by-double-click
moving square2 || fail "a double click on the square recording does not play it"
bands_are_background square2 && fail "after a double click the square recording is not shown"
double_click_row 1
sleep 1.5
shot 04-wide-by-double-click
moving wide2 || fail "a double click on the wide recording does not play it"
bands_are_background click || fail "after double clicks the bands keep the square picture (see $shots)"

step "Open after Stop: the square recording, Stop, the wide one"
double_click_row 0
sleep 1
bands_are_background square3 && fail "after a double click the square recording is not shown"
xdotool key --window "$win" s
sleep 0.5
double_click_row 1
sleep 1.5
shot 05-wide-after-stop
bands_are_background stop || fail "after Stop the bands keep the square picture (see $shots)"
close_program

step "a relative path on the command line plays again after a restart from another folder"
settings 0
start "$work" clips/red.ts
sleep 1.5
shot 06-relative
read -r r g b <<<"$(colour_shown)"
[ "$r" -gt 200 ] && [ "$g" -lt 60 ] && [ "$b" -lt 60 ] || fail "the relative path does not play (colour $r $g $b)"
close_program
[ "$(cat "$config/listinfo.txt")" = "$work/clips/red.ts"$'\r' ] || fail "listed as '$(cat "$config/listinfo.txt")'"
start /
xdotool mousemove "$((X + 75 + 10))" "$((Y + H - 46 + 10))" click 1  # Play: the selected (first) item
sleep 1.5
shot 07-relative-after-restart
read -r r g b <<<"$(colour_shown)"
[ "$r" -gt 200 ] && [ "$g" -lt 60 ] && [ "$b" -lt 60 ] || fail "the listed item does not play from / (colour $r $g $b)"
close_program

step "a file named -name.ts after --"
settings 0
start "$work/clips" -- -name.ts
sleep 1.5
shot 08-dash-name
moving dash || fail "-- -name.ts does not play"
close_program
[ "$(cat "$config/listinfo.txt")" = "$work/clips/-name.ts"$'\r' ] || fail "listed as '$(cat "$config/listinfo.txt")'"

step "Previous past an item that cannot be played lands before it"
for mode in 2 1; do
  settings "$mode" "$work/clips/red.ts" "$work/clips/missing.ts" "$work/clips/blue.ts"
  start / "$work/clips/blue.ts"
  sleep 1.5
  read -r r g b <<<"$(colour_shown)"
  [ "$b" -gt 200 ] && [ "$r" -lt 60 ] || fail "play mode $mode: the blue recording does not play (colour $r $g $b)"
  geometry "$win"
  xdotool mousemove "$((X + 305 + 8))" "$((Y + H - 40 + 8))" click 1
  sleep 2
  shot "09-previous-mode$mode"
  read -r r g b <<<"$(colour_shown)"
  [ "$r" -gt 200 ] && [ "$b" -lt 60 ] || fail "play mode $mode: Previous past the missing item does not land on the red one (colour $r $g $b)"
  close_program
done
echo "desktop items end to end: passed; screenshots in $shots"
