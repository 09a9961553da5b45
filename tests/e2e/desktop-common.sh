# Sourced by the desktop end-to-end scripts: a work folder removed at the end, the test recordings, a
# display of our own (Xvfb and openbox) and the helpers that find and measure the program's window.
# The caller sets `shots` and may set `xvfb_size` before sourcing; every process it starts goes into
# `pids`, which the end of the script stops and waits for.
work="$(mktemp -d)"
chmod 755 "$work"  # a test user other than the caller reads the recordings and the prefix below it
rm -rf "$shots"; mkdir -p "$shots"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/process-cleanup.sh"
fail() {
  echo "FAIL: $*"
  [ -f "$work/program.log" ] && grep -v "^ALSA" "$work/program.log" | tail -n 20
  xwininfo -root -children 2>/dev/null | grep -i kxmedia | head -n 5
  exit 1
}
step() { echo "== $*"; }

# Moving recordings in the private frame-stream format, long enough for every step (the bundled
# samples last about a second); named .ts so that the open dialog's filter shows them.
# make_recording LAVFI_SOURCE OUTPUT [SECONDS] [SIZE]; the source may carry options ("color=c=red").
make_recording() {
  local fixtures source="$1=size=${4:-640x360}:rate=25"
  [[ "$1" == *=* ]] && source="$1:size=${4:-640x360}:rate=25"
  fixtures="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts/fixtures" && pwd)"
  ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$source" -t "${3:-60}" \
    -c:v libx264 -preset veryfast -profile:v main -pix_fmt yuv420p -g 25 -bf 0 -f h264 "$work/source.h264"
  python3 - "$fixtures" "$work/source.h264" "$2" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
import framestream
data, _ = framestream.build(open(sys.argv[2], "rb").read(), fps=25)
open(sys.argv[3], "wb").write(data)
PY
}

start_display() {
  # Xvfb picks a free display number itself and writes it once it is ready. A number chosen here could
  # be another run's: our server would not start, the checks would talk to the other one, and the
  # program would abort (status 134) once that one is gone.
  Xvfb -displayfd 3 -screen 0 "${xvfb_size:-1280x800x24}" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  local xvfb=$!
  pids+=($xvfb)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n 1 "$work/display")"
  xdpyinfo >/dev/null 2>&1 && kill -0 "$xvfb" || fail "Xvfb did not start"
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  sleep 1
  export QT_QPA_PLATFORM=xcb
  # No sound card in CI: the sound output goes to SDL's dummy device unless one is chosen.
  export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
}

shot() { import -window root "$shots/$1.png"; }
# Waits until a command succeeds (limit in tenths of a second).
wait_for() { local limit="$1"; shift; for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done; return 1; }
# The program's visible main window (its process is the only client with that title).
window_of() { kill -0 "$1" 2>/dev/null && xdotool search --onlyvisible --name '^KXMediaPlayer$' 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window_of "$1")" ]; }
geometry() {  # sets X Y W H of the window
  eval "$(xdotool getwindowgeometry --shell "$1")"
  X=$X; Y=$Y; W=$WIDTH; H=$HEIGHT
}
differ() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" != "0" ]; }
colours() { convert "$1" -format %k info:; }
