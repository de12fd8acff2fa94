#!/usr/bin/env bash
# Builds the analyser for 32-bit Windows and starts it under Wine. With no
# display at hand it starts a virtual one, saves a screenshot of the window
# after a few seconds, closes the program and says where the picture is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win32="$root/build/win32"

bash "$root/tools/install-deps.sh"
# shellcheck source=tools/session.sh
source "$root/tools/session.sh"
build_win32 "$root" spectrum wine-keepalive
exe="$win32/app/SpectrumAnalyser.exe"

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting $exe under Wine"
  status=0
  "$root/tools/wine-run" "$win32" "$exe" || status=$?
  stop_wine "$win32"
  exit $status
fi

cleanup() {
  stop_wine "$win32"
  stop_xvfb
}
trap cleanup EXIT
start_xvfb
"$root/tools/wine-run" "$win32" "$exe" &
app=$!
for _ in $(seq 100); do
  xdotool search --name '^Spectrum Analyzer$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 2
shot="$root/build/screenshot.png"
window=$(xdotool search --name '^Spectrum Analyzer$' | head -n 1)
import -window root -crop "$(xwininfo -id "$window" | awk '/Width:/{w=$2}/Height:/{h=$2}/Absolute upper-left X:/{x=$4}/Absolute upper-left Y:/{y=$4}END{printf "%dx%d+%d+%d", w, h, x, y}')" "$shot"
echo "No display here: ran the analyser in a virtual one; screenshot saved to $shot"
# Alt+F4 closes it as a user would; the program then ends by itself.
xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null || true
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill "$app" 2>/dev/null || true
wait "$app" || true
