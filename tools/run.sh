#!/usr/bin/env bash
# Builds the analyser for Windows and starts it under Wine: the 32-bit
# program where this host runs 32-bit code, else the 64-bit one, and says
# which. With no display at hand it starts a virtual one, saves a screenshot
# of the window after a few seconds, closes the program and says where the
# picture is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

bash "$root/tools/install-deps.sh"
# shellcheck source=tools/session.sh
source "$root/tools/session.sh"
if host_runs_win32; then
  build="$root/build/win32"
  build_win32 "$root" spectrum wine-keepalive
  echo "Running the 32-bit program"
else
  build="$root/build/win64"
  build_win64 "$root" spectrum wine-keepalive
  echo "Running the 64-bit program: $WIN32_SKIP_REASON"
fi
exe="$build/app/SpectrumAnalyser.exe"

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting $exe under Wine"
  status=0
  "$root/tools/wine-run" "$build" "$exe" || status=$?
  stop_wine "$build"
  exit $status
fi

cleanup() {
  stop_wine "$build"
  stop_xvfb
}
trap cleanup EXIT
start_xvfb
"$root/tools/wine-run" "$build" "$exe" &
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
