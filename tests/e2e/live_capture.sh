#!/usr/bin/env bash
# live_capture.sh MODE SOURCE_DIR BUILD_DIR
# Drives the real program under Wine from outside, as a user would, in the
# display and PulseAudio server the test command started.
#   tone:     a pipe source fed with a 1033.59375 Hz sine of peak 16465 (bin 24
#             at 44100 Hz, 0 dB) is chosen in "Select soundcard"; after Start
#             the screen must show the trace's peak on the top row at x = 24.
#   noserver: with no audio server, Start must give "Wave input device didn't open!".
#   serverdies: with a PulseAudio server of the script's own feeding the tone,
#             Start, then the server is killed mid-capture: the program must
#             still answer, Stop must work, the next Start must warn, and once
#             the server is back (restarted on the same socket) Start must
#             record again. What Wine's winmm did meanwhile is printed.
# Every time the program must close with exit code 0.
set -euo pipefail
mode=$1 root=$2 build=$3
exe="$build/app/SpectrumAnalyser.exe"
window_text="$build/tests/e2e/window-text.exe"
# shellcheck source=tests/e2e/e2e.sh
source "$root/tests/e2e/e2e.sh"
trap e2e_cleanup EXIT

# queued: how many times the program has queued the buffer so far, from
# Wine's trace of winmm.
queued() { grep -c 'waveInAddBuffer' "$work/wine.log" || true; }

[ -n "${DISPLAY:-}" ] || fail "needs the display the test command starts"

case "$mode" in
tone)
  [ -n "${PULSE_SERVER:-}" ] || fail "needs the PulseAudio server the test command starts"
  pactl info >/dev/null || fail "PulseAudio does not answer"
  feed_tone
  ;;
serverdies)
  # A server of our own, so that killing it leaves the test command's alone.
  # shellcheck source=tools/session.sh
  source "$root/tools/session.sh"
  start_pulse || fail "the script's own PulseAudio did not start"
  own_pulse=1
  feed_tone
  # Wine's trace of winmm shows what the device did with the buffer.
  export WINEDEBUG=trace+winmm,warn+winmm
  ;;
noserver)
  export PULSE_SERVER="unix:$work/no-server-here"
  ;;
*) fail "unknown mode $mode" ;;
esac

start_program
sleep 0.5

if [ "$mode" = tone ]; then
  # Soundcard > SelectSoundcard, then the second device of the list.
  keys "$main" F10 Right Down Down Down Return
  dialog=$(wait_for_window "Select soundcard") || fail "the sound-card dialog did not appear"
  # Down walks the list in device order; the pipe source is the server's
  # only source, so it follows the default device "PulseAudio".
  found=
  for _ in 1 2 3 4 5 6; do
    keys "$dialog" Down
    if texts_of "Select soundcard" | grep -qx "E2ETone"; then found=1; break; fi
  done
  [ -n "$found" ] || fail "the pipe source is not in the device list"
  keys "$dialog" Tab Return
  wait_for_window_gone "Select soundcard" || fail "OK did not close the sound-card dialog"
fi

keys "$main" alt+s

if [ "$mode" = noserver ]; then
  warning=$(wait_for_window "Warning") || fail "no warning appeared"
  texts_of "Warning" | grep -qx "Wave input device didn't open!" || fail "the warning has another text"
  keys "$warning" Return
  wait_for_window_gone "Warning" || fail "the warning did not close"
  texts_of "Spectrum Analyzer" | grep -qx "&Start" || fail "the button does not read &Start"
elif [ "$mode" = serverdies ]; then
  sleep 2
  texts_of "Spectrum Analyzer" | grep -qx "&Stop" || fail "capture is not running"
  before=$(queued)
  sleep 1
  running=$(( $(queued) - before ))
  [ "$running" -gt 5 ] || fail "only $running buffers in the second before the server died"
  kill -KILL "$PULSE_PID"
  wait "$PULSE_PID" 2>/dev/null || true
  died=$(queued)
  sleep 2
  after=$(( $(queued) - died ))
  failures=$(grep -c 'GetBuffer failed' "$work/wine.log" || true)
  echo "winmm: $running buffers in the second before the server died, $after in the 2 s after;" \
       "$failures failed GetBuffer calls of its capture thread"
  # The program cannot know: it still shows a running capture, and answers.
  texts_of "Spectrum Analyzer" | grep -qx "&Stop" || fail "the window does not answer after the server died"
  keys "$main" alt+s
  wait_for_text "Spectrum Analyzer" "&Start" || fail "Stop did not end capture after the server died"
  grep 'Stop failed' "$work/wine.log" | sed -n 's/^.*warn:winmm:/winmm: at Stop: /p' | head -n 1 || true
  keys "$main" alt+s
  warning=$(wait_for_window "Warning") || fail "Start without a server gave no warning"
  texts_of "Warning" | grep -qx "Wave input device didn't open!" || fail "the warning has another text"
  dismiss "$warning" "Warning" || fail "the warning did not close"
  texts_of "Spectrum Analyzer" | grep -qx "&Start" || fail "the button does not read &Start"

  # The server comes back where it was; the next Start records again.
  start_pulse "$PULSE_DIR" || fail "the script's own PulseAudio did not start again"
  feed_tone
  back=$(queued)
  keys "$main" alt+s
  wait_for_text "Spectrum Analyzer" "&Stop" || fail "Start did not record once the server was back"
  sleep 1
  [ $(( $(queued) - back )) -gt 5 ] || fail "no buffers came once the server was back"
  keys "$main" alt+s
  wait_for_text "Spectrum Analyzer" "&Start" || fail "Stop did not end the capture once the server was back"
else
  sleep 3
  texts_of "Spectrum Analyzer" | grep -qx "&Stop" || fail "capture is not running"
  import -window root "$work/screen.png"
  convert "$work/screen.png" -depth 8 "rgb:$work/screen.rgb"
  size=$(identify -format '%w %h' "$work/screen.png")
  python3 - "$work/screen.rgb" $size <<'PY' || fail "the spectrum on the screen is not the tone's"
import sys
path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = open(path, "rb").read()
def pixel(x, y):
    i = 3 * (y * width + x)
    return data[i], data[i + 1], data[i + 2]
# The cursor line (CursorX = 0 until the mouse moves) marks the plot's left
# column and its top row; the trace's highest point must be bin 24 at 0 dB.
yellow = {}
for y in range(height):
    for x in range(width):
        if pixel(x, y) == (255, 255, 0):
            yellow.setdefault(x, []).append(y)
if not yellow:
    sys.exit("no cursor line on the screen")
left = max(yellow, key=lambda x: len(yellow[x]))
top, bottom = min(yellow[left]), max(yellow[left])
green = [(x, y) for y in range(top, bottom + 1) for x in range(left, width)
         if pixel(x, y) == (0, 255, 0)]
if not green:
    sys.exit("no trace on the screen")
peak_y = min(y for _, y in green)
peak_x = [x - left for x, y in green if y == peak_y]
print("plot at (%d, %d), %d rows; trace peak at plot x %s, y %d"
      % (left, top, bottom - top + 1, peak_x, peak_y - top))
if peak_x != [24] or peak_y - top > 1:
    sys.exit("expected the peak at plot x 24 on the top row")
PY
fi

keys "$main" alt+F4
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program did not end after Alt+F4"
status=0
wait "$app" || status=$?
app=
[ "$status" -eq 0 ] || fail "the program ended with exit code $status"
echo "PASS: $mode"
