#!/usr/bin/env bash
# run-desktop-life-test.sh BUILD_DIR SHOTS STARTS G7231_DECODER FIXTURES
# The installed desktop player as a Linux desktop program, in a real X server with a window manager:
#   - SIGTERM, SIGINT and SIGHUP, while playing and while paused, each end it within 2 s with status 0,
#     the play list (with a recording opened just before the signal) and the settings written;
#   - installed into a prefix that the test user cannot write and started as that user from "/", it
#     draws its skin, keeps a setting and a list change over a restart in the user's folders (seeded
#     from the installed defaults) and writes nothing under the prefix;
#   - dragging the bottom-right corner and the left edge resizes it with the controls laid out for the
#     new size, and it never gets smaller than at start-up;
#   - STARTS starts and closes on a recording with sound end normally;
#   - recordings with G.723.1 and G.711 sound play with the sound that the decoders give, whole and in one
#     piece (SDL's "disk" driver writes what the program plays; G7231_DECODER decodes the frames that
#     FIXTURES' listing names);
#   - scripts/run-player.sh returns by itself and leaves no process behind.
# Run as root it makes (once) the unprivileged user "kxe2e" for the second part; run as another user it
# uses that user with a prefix made read-only. Screenshots go to SHOTS.
set -euo pipefail
build="$(cd "$1" && pwd)"; shots="$2"; starts="${3:-20}"; g7231_decoder="$4"; fixtures_dir="$5"
root_dir="$(cd "$(dirname "$0")/../.." && pwd)"
source "$(dirname "$0")/desktop-common.sh"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
program="$prefix/bin/KXMediaPlayer"
config="$prefix/bin/mplayerstyle/config"
recording="$work/first.ts"; second="$work/second.ts"
make_recording testsrc2 "$recording" 30
make_recording testsrc "$second" 5
start_display

# start [RUNNER...] -- ARGS: the program from "/", its window in $win and its process in $pid.
start() {
  local runner=()
  while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do runner+=("$1"); shift; done
  [ "$#" -gt 0 ] && shift
  (cd / && exec "${runner[@]}" "$program" "$@") >"$work/program.log" 2>&1 &
  pid=$!
  pids+=($pid)
  wait_for 150 has_window "$pid" || fail "no main window"
  win="$(window_of "$pid")"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
}
# ends_within TENTHS: waits for $pid to end; its exit status in $status.
ends_within() {
  for _ in $(seq "$1"); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && return 1
  status=0; wait "$pid" || status=$?
  return 0
}
open_with_dialog() {  # Ctrl+O, a file name typed into the dialog, Return
  xdotool key --window "$win" ctrl+o
  wait_for 50 sh -c "xdotool search --onlyvisible --name . 2>/dev/null | grep -qv '^$win\$'" || fail "no open dialog"
  sleep 0.3
  xdotool type --delay 10 "$1"
  xdotool key Return
  wait_for 50 sh -c "! xdotool search --onlyvisible --name . 2>/dev/null | grep -qv '^$win\$'" || fail "the open dialog stays"
}

step "signals end the program as its close button does"
rm -rf "$config"; mkdir -p "$config"
for signal in TERM INT HUP; do
  for state in playing paused; do
    printf '[SHOW_LIST]\r\nShowList=1\r\n' >"$config/configinfo.ini"
    rm -f "$config/listinfo.txt"
    start -- "$recording"
    sleep 1
    [ "$state" = paused ] && { xdotool key --window "$win" space; sleep 0.3; }
    # An edit of the list just before the signal: the second recording is opened (and added).
    open_with_dialog "$second"
    kill -s "$signal" "$pid"
    ends_within 20 || fail "SIG$signal while $state: still running 2 s later"
    [ "$status" -eq 0 ] || fail "SIG$signal while $state: exit status $status"
    grep -q "$(basename "$second")" "$config/listinfo.txt" || fail "SIG$signal while $state: the last edit of the list is lost"
    grep -q "TopmostMode=0" "$config/configinfo.ini" || fail "SIG$signal while $state: settings not written"
    echo "SIG$signal while $state: ended with status 0"
  done
done

step "a signal while a dialog is open"
start -- "$recording"
xdotool key --window "$win" ctrl+o
wait_for 50 sh -c "xdotool search --onlyvisible --name . 2>/dev/null | grep -qv '^$win\$'" || fail "no open dialog"
kill -s TERM "$pid"
ends_within 20 || fail "SIGTERM with the open dialog up: still running 2 s later"
[ "$status" -eq 0 ] || fail "SIGTERM with the open dialog up: exit status $status"

step "resizing by the sizing frame"
rm -rf "$config"; mkdir -p "$config"
printf '[SHOW_LIST]\r\nShowList=1\r\n' >"$config/configinfo.ini"
start -- "$recording"
sleep 1
geometry "$win"; X0=$X; Y0=$Y; W0=$W; H0=$H
# close_button_at: the close button's image sits 30 pixels from the right edge, 3 from the top.
close_button_matches() {
  import -window root -crop "16x16+$((X + W - 30))+$((Y + 3))" +repage "$work/close-now.png"
  ! differ "$work/close-now.png" "$work/close-start.png"
}
import -window root -crop "16x16+$((X + W - 30))+$((Y + 3))" +repage "$work/close-start.png"
xdotool mousemove "$((X + W - 2))" "$((Y + H - 2))" mousedown 1
sleep 0.3; xdotool mousemove "$((X + W + 150))" "$((Y + H + 100))"; sleep 0.3; xdotool mouseup 1
sleep 1
geometry "$win"
shot 01-resized-corner
[ "$W" -eq $((W0 + 152)) ] && [ "$H" -eq $((H0 + 102)) ] || fail "corner drag gave ${W}x${H}, not $((W0 + 152))x$((H0 + 102))"
[ "$X" -eq "$X0" ] && [ "$Y" -eq "$Y0" ] || fail "corner drag moved the window"
close_button_matches || fail "the close button is not at its place for the new size"
# The seek bar reaches to 7 pixels from the new right edge.
import -window root -crop "20x8+$((X + W - 30))+$((Y + H - 60))" +repage "$work/seek.png"
[ "$(colours "$work/seek.png")" -gt 1 ] || fail "the seek bar does not follow the new width"
xdotool mousemove "$((X + 1))" "$((Y + H / 2))" mousedown 1
sleep 0.3; xdotool mousemove "$((X - 100))" "$((Y + H / 2))"; sleep 0.3; xdotool mouseup 1
sleep 1
geometry "$win"
shot 02-resized-left
[ "$W" -eq $((W0 + 152 + 101)) ] || fail "left edge drag gave width $W, not $((W0 + 253))"
[ "$X" -eq $((X0 - 101)) ] || fail "left edge drag left the left edge at $X, not $((X0 - 101))"
close_button_matches || fail "the close button is not at its place after the left edge drag"
xdotool mousemove "$((X + W - 2))" "$((Y + H - 2))" mousedown 1
sleep 0.3; xdotool mousemove "$((X + 100))" "$((Y + 100))"; sleep 0.3; xdotool mouseup 1
sleep 1
geometry "$win"
shot 03-below-minimum
[ "$W" -eq "$W0" ] && [ "$H" -eq "$H0" ] || fail "dragging below the start-up size gave ${W}x${H}, not ${W0}x${H0}"
close_button_matches || fail "the close button is not at its place at the smallest size"
kill -s TERM "$pid"; ends_within 20 || fail "no end after the resizes"

step "$starts starts and closes on a recording with sound"
rm -rf "$config"
fixture="$root_dir/tests/fixtures/framestream_h264_baseline_176x144_gop12_g711a.kxav"
[ -f "$fixture" ] || fail "no fixture $fixture"
for round in $(seq "$starts"); do
  start -- "$fixture"
  kill -s TERM "$pid"
  ends_within 50 || fail "start $round: no end"
  [ "$status" -eq 0 ] || fail "start $round: exit status $status"
done
echo "$starts starts: every one ended with status 0"

step "installed into a prefix the user cannot write, started as that user from /"
home="$work/home"; mkdir -p "$home"
rm -rf "$config"; mkdir -p "$config"
# An installed default: the user's first start takes it over.
printf '[PLAY_MODE]\r\nPlayMode=3\r\n' >"$config/configinfo.ini"
if [ "$(id -u)" -eq 0 ]; then
  id kxe2e >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin kxe2e
  chown -R kxe2e: "$home"
  as_user=(setpriv --reuid=kxe2e --regid=kxe2e --clear-groups env HOME="$home" XDG_CONFIG_HOME= XDG_STATE_HOME=)
  # root owns the prefix: mode 755 keeps it from the test user
  chown -R root: "$prefix"; chmod -R go-w "$prefix"
else
  as_user=(env HOME="$home" XDG_CONFIG_HOME= XDG_STATE_HOME=)
  chmod -R a-w "$prefix"
fi
"${as_user[@]}" sh -c "touch '$prefix/bin/probe'" 2>/dev/null && fail "the test user can write the prefix"
before="$(find "$prefix" -printf '%p %s %T@\n' | sort)"
start "${as_user[@]}" --
sleep 1
shot 04-user-start
geometry "$win"
# The skin: the top-left corner of the frame and the logo in the middle of the empty video area.
corner="$prefix/bin/mplayerstyle/images/left_top_bkimg.bmp"
import -window root -crop "1x1+$((X + 2))+$((Y + 2))" +repage "$work/corner-shot.png"
convert "$corner" -crop "1x1+3+2" +repage "$work/corner-file.png"
differ "$work/corner-shot.png" "$work/corner-file.png" && fail "the frame's skin is not drawn"
import -window root -crop "60x30+$((X + (W - 10) / 2 - 30))+$((Y + 25 + (H - 25 - 76 - 18) / 2 - 15))" +repage "$work/logo.png"
[ "$(colours "$work/logo.png")" -gt 2 ] || fail "no logo in the video area"
# A setting through the settings menu: show mode, then "show the list at start-up".
xdotool mousemove "$((X + W - 120 + 8))" "$((Y + 3 + 8))" click 1
sleep 0.5
xdotool key Down Right Down Return
sleep 0.5
# A list change: a recording opened.
open_with_dialog "$second"
sleep 0.5
shot 05-user-edited
kill -s TERM "$pid"; ends_within 20 || fail "no end as the test user"
[ "$status" -eq 0 ] || fail "exit status $status as the test user"
user_config="$home/.config/KXMediaPlayer"
grep -q "PlayMode=3" "$user_config/configinfo.ini" || fail "the installed defaults were not taken over"
grep -q "ShowList=1" "$user_config/configinfo.ini" || fail "the setting was not saved in $user_config"
grep -q "$(basename "$second")" "$user_config/listinfo.txt" || fail "the list was not saved in $user_config"
start "${as_user[@]}" --
sleep 1
shot 06-user-restarted
geometry "$win"
import -window root -crop "150x60+$((X + W - 170))+$((Y + 30))" +repage "$work/list.png"
[ "$(colours "$work/list.png")" -gt 2 ] || fail "the list panel (a saved setting) is not shown after the restart"
kill -s TERM "$pid"; ends_within 20 || fail "no end after the restart"
after="$(find "$prefix" -printf '%p %s %T@\n' | sort)"
[ "$before" = "$after" ] || fail "something was written under the prefix: $(diff <(echo "$before") <(echo "$after") | head -n 5)"

# sound_heard_is_decoded RECORDING NAME: plays RECORDING once (play mode single) and checks that the
# sound played is its audio as the decoders give it, from the first sample to the last, in one piece:
# silence before and after it, nothing else. G.723.1 frames are decoded by G7231_DECODER (one decoder
# for the stream, as the player keeps), A-law by Python's own G.711 tables.
sound_heard_is_decoded() {
  local file="$1" name="$2"
  [ -f "$file" ] && [ -f "$file.frames" ] || fail "no $file (scripts/make-fixtures.sh writes it)"
  rm -rf "$config"; mkdir -p "$config"
  printf '[PLAY_MODE]\r\nPlayMode=0\r\n' >"$config/configinfo.ini"
  rm -f "$work/played.raw"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw" start -- "$file"
  # The recordings last about four seconds; the item closes once its sound has been heard.
  sleep 7
  kill -s TERM "$pid"; ends_within 20 || fail "no end after the $name recording"
  [ "$status" -eq 0 ] || fail "exit status $status after the $name recording"
  cp "$work/played.raw" "$shots/$name-played.raw"
  python3 -W ignore - "$file" "$work/played.raw" "$g7231_decoder" "$name" <<'PY' || fail "the $name sound played is not the decoder's"
import subprocess
import sys
recording, played, name = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read(), sys.argv[4]
frames = []
for line in open(sys.argv[1] + ".frames"):
    if not line.startswith("#"):
        offset, es_type, _, _, _, length = map(int, line.split())
        if es_type == 2:
            frames.append(recording[offset + 40:offset + 40 + length])
if name == "G.723.1":
    pcm = subprocess.run([sys.argv[3]], input=b"".join(frames), stdout=subprocess.PIPE, check=True).stdout
else:
    import audioop
    pcm = audioop.alaw2lin(b"".join(frames), 2)
at = played.find(pcm)
if at < 0:
    heard = played.strip(b"\0")
    same = next((i for i in range(min(len(heard), len(pcm))) if heard[i] != pcm[i]), min(len(heard), len(pcm)))
    sys.exit("%s: the decoded sound (%d bytes) is not played in one piece; what was heard (%d bytes) "
             "follows it for %d bytes" % (name, len(pcm), len(heard), same))
if played[:at].strip(b"\0") or played[at + len(pcm):].strip(b"\0"):
    sys.exit("%s: sound other than the recording's was played" % name)
print("%s: all %d frames, %d samples, played in one piece after %d ms of silence"
      % (name, len(frames), len(pcm) // 2, at // 16))
PY
}

step "G.723.1 and G.711 sound plays as the decoders give it, whole and in one piece"
sound_heard_is_decoded "$fixtures_dir/framestream_h264_baseline_176x144_gop12_g7231.kxav" G.723.1
sound_heard_is_decoded "$fixtures_dir/framestream_h264_baseline_176x144_gop12_g711a.kxav" G.711

step "scripts/run-player.sh returns by itself"
# In a session of its own, so that whatever it leaves behind can be found.
setsid bash -c 'echo $$ >"$1"; unset DISPLAY; exec timeout 60 "$2" "$3" "$4"' _ "$work/session" \
  "$root_dir/scripts/run-player.sh" "$build" "$recording" >"$work/run-player.log" 2>&1 \
  || fail "run-player.sh did not return by itself: $(tail -n 5 "$work/run-player.log")"
grep -q "screenshot of the running player" "$work/run-player.log" || fail "run-player.sh wrote no screenshot"
sleep 0.5
left="$(pgrep -a -s "$(cat "$work/session")" || true)"
[ -z "$left" ] || fail "run-player.sh left processes behind: $left"
echo "desktop player as a Linux desktop program: passed; screenshots in $shots"
