#!/usr/bin/env bash
# live_capture.sh MODE SOURCE_DIR BUILD_DIR
# Drives the real program under Wine from outside, as a user would, in the
# display and PulseAudio server the test command started.
#   tone:     a pipe source fed with a 1033.59375 Hz sine of peak 16465 (bin 24
#             at 44100 Hz, 0 dB) is chosen in "Select soundcard"; after Start
#             the screen must show the trace's peak on the top row at x = 24.
#             Then text that names no window is typed into the window
#             selector and the tone moves to bin 48: the peak must follow.
#             Then the source turns to digital silence: at two mouse
#             positions the live readout must read their frequencies at
#             -inf dB, and after Stop a saved spectrum -inf on every line.
#   noserver: with no audio server, Start must give "Wave input device didn't open!".
#   serverdies: with a PulseAudio server of the script's own feeding the tone,
#             Start, then the server is killed mid-capture, three times in a
#             row: each time within 5 s the program must warn "Wave input
#             device stopped!" and read "&Start", the next Start must warn
#             that the device did not open, and once the server is back
#             (restarted on the same socket) Start must record again. What
#             Wine's winmm did meanwhile is printed.
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

# peak_at BIN: the screen must show the trace's highest point on the plot's
# top row at the bin's column (the linear scale's column of bin k is k).
# peak_at origin: prints the screen point "x y" of the plot's top-left pixel.
peak_at() {
  import -window root "$work/screen.png"
  convert "$work/screen.png" -depth 8 "rgb:$work/screen.rgb"
  local size
  size=$(identify -format '%w %h' "$work/screen.png")
  python3 - "$work/screen.rgb" $size "$1" <<'PY'
import sys
path, width, height, bin = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
data = open(path, "rb").read()
def pixel(x, y):
    i = 3 * (y * width + x)
    return data[i], data[i + 1], data[i + 2]
# The cursor line (CursorX = 0 until the mouse moves) marks the plot's left
# column and its top row; the trace's highest point must be the bin at 0 dB.
yellow = {}
for y in range(height):
    for x in range(width):
        if pixel(x, y) == (255, 255, 0):
            yellow.setdefault(x, []).append(y)
if not yellow:
    sys.exit("no cursor line on the screen")
left = max(yellow, key=lambda x: len(yellow[x]))
top, bottom = min(yellow[left]), max(yellow[left])
if bin == "origin":
    print(left, top)
    sys.exit(0)
bin = int(bin)
green = [(x, y) for y in range(top, bottom + 1) for x in range(left, width)
         if pixel(x, y) == (0, 255, 0)]
if not green:
    sys.exit("no trace on the screen")
peak_y = min(y for _, y in green)
peak_x = [x - left for x, y in green if y == peak_y]
print("plot at (%d, %d), %d rows; trace peak at plot x %s, y %d"
      % (left, top, bottom - top + 1, peak_x, peak_y - top))
if peak_x != [bin] or peak_y - top > 1:
    sys.exit("expected the peak at plot x %d on the top row" % bin)
PY
}

[ -n "${DISPLAY:-}" ] || fail "needs the display the test command starts"

case "$mode" in
tone)
  [ -n "${PULSE_SERVER:-}" ] || fail "needs the PulseAudio server the test command starts"
  # The spectrum it saves lands in the folder it was started from.
  cd "$work"
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

# Soundcard > SelectSoundcard, then the pipe source: Down walks the list in
# device order, and the pipe source, the server's only source, follows the
# default device "PulseAudio".
[ "$mode" != tone ] || choose_source E2ETone

keys "$main" alt+s

if [ "$mode" = noserver ]; then
  warning=$(wait_for_window "Warning") || fail "no warning appeared"
  texts_of "Warning" | grep -qx "Wave input device didn't open!" || fail "the warning has another text"
  keys "$warning" Return
  wait_for_window_gone "Warning" || fail "the warning did not close"
  texts_of "Spectrum Analyzer" | grep -qx "&Start" || fail "the button does not read &Start"
elif [ "$mode" = serverdies ]; then
  sleep 2
  for round in 1 2 3; do
    texts_of "Spectrum Analyzer" | grep -qx "&Stop" || fail "round $round: capture is not running"
    before=$(queued)
    sleep 1
    running=$(( $(queued) - before ))
    [ "$running" -gt 5 ] || fail "round $round: only $running buffers in the second before the server died"
    kill -KILL "$PULSE_PID"
    wait "$PULSE_PID" 2>/dev/null || true
    died=$(queued)
    killed=$SECONDS
    warning=$(wait_for_window "Warning" 50) || fail "round $round: no warning within 5 s of the server's death"
    after=$(( $(queued) - died ))
    failures=$(grep -c 'GetBuffer failed' "$work/wine.log" || true)
    echo "round $round: winmm: $running buffers in the second before the server died, $after after it;" \
         "$failures failed GetBuffer calls of its capture thread so far;" \
         "the warning came $((SECONDS - killed)) s after the kill"
    stopped=$(texts_of "Warning" | grep -x "Wave input device.*") || true
    echo "round $round: the warning reads \"$stopped\""
    [ "$stopped" = "Wave input device stopped!" ] || fail "round $round: the warning has another text"
    dismiss "$warning" "Warning" || fail "round $round: the warning did not close"
    texts_of "Spectrum Analyzer" | grep -qx "&Start" || fail "round $round: the button does not read &Start"
    keys "$main" alt+s
    warning=$(wait_for_window "Warning") || fail "round $round: Start without a server gave no warning"
    texts_of "Warning" | grep -qx "Wave input device didn't open!" || fail "round $round: the warning has another text"
    echo "round $round: Start without the server: \"Wave input device didn't open!\""
    dismiss "$warning" "Warning" || fail "round $round: the warning did not close"
    texts_of "Spectrum Analyzer" | grep -qx "&Start" || fail "round $round: the button does not read &Start"

    # The server comes back where it was; the next Start records again.
    start_pulse "$PULSE_DIR" || fail "round $round: the script's own PulseAudio did not start again"
    feed_tone
    keys "$main" alt+s
    wait_for_text "Spectrum Analyzer" "&Stop" || fail "round $round: Start did not record once the server was back"
    echo "round $round: the server is back, and Start records again"
  done
  back=$(queued)
  sleep 1
  recorded=$(( $(queued) - back ))
  [ "$recorded" -gt 5 ] || fail "only $recorded buffers in a second once the server was back the third time"
  echo "after the third death: $recorded buffers in a second"
  keys "$main" alt+s
  wait_for_text "Spectrum Analyzer" "&Start" || fail "Stop did not end the capture once the server was back"
else
  sleep 3
  texts_of "Spectrum Analyzer" | grep -qx "&Stop" || fail "capture is not running"
  peak_at 24 || fail "the spectrum on the screen is not the tone's"
  # Text that names no window, typed into the selector's field, leaves the
  # analysis running with the window chosen last.
  read -r x y < <(wine_run "$window_text" "Spectrum Analyzer" Blackmann | tr -d '\r')
  # The click gives the field the focus; keys go to it from there.
  xdotool mousemove "$x" "$y" click 1
  sleep 0.3
  xdotool key End
  sleep 0.2
  xdotool key x
  sleep 0.2
  texts_of "Spectrum Analyzer" | grep -qx "Blackmannx" || fail "the typed text is not in the selector"
  kill -USR1 "$writer"
  sleep 3
  texts_of "Spectrum Analyzer" | grep -qx "&Stop" || fail "capture is not running after the typing"
  peak_at 48 || fail "the peak did not follow the tone after text was typed into the selector"

  # Digital silence, as a muted device gives it: the mouse still reads the
  # frequency under it, and every level is -inf.
  kill -USR1 "$writer"
  sleep 2
  read -r left top < <(peak_at origin) || fail "the plot is not on the screen"
  for x in 30 300; do
    xdotool mousemove $((left + x)) $((top + 50))
    sleep 0.5
    expected=$(python3 -c "print('%.1fHz, -infdB' % ($x * 44100 / 1024))")
    wait_for_text "Spectrum Analyzer" "$expected" || fail "the readout at plot x $x does not read $expected"
    echo "silence: the readout at plot x $x reads $expected"
  done
  keys "$main" alt+s
  wait_for_text "Spectrum Analyzer" "&Start" || fail "Stop did not end the capture"
  save_to_file
  python3 - "$saved" <<'PY' || fail "the saved spectrum of silence is wrong"
import sys
lines = open(sys.argv[1], "rb").read().decode("ascii").split("\r\n")[:513]
levels = {line.split("\t")[1] for line in lines}
print("silence: %s holds %d lines, levels %s" % (sys.argv[1], len(lines), sorted(levels)))
if len(lines) != 513 or levels != {"-inf"}:
    sys.exit("not 513 lines at -inf")
PY
fi

close_program
echo "PASS: $mode"
