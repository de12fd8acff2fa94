#!/usr/bin/env bash
# Runs the benchmarks: the pass against FFTW natively, then under Wine the
# buffer's way through the real window and the live update rate of the real
# capture engine with a paced PulseAudio tone source, beside a bare polling
# loop on the same source. Starts and stops its own display and sound server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native="$root/build/native"
win32="$root/build/win32"

bash "$root/tools/install-deps.sh"
# shellcheck source=tools/session.sh
source "$root/tools/session.sh"
build_native "$root" dsp_bench
build_win32 "$root" buffer_path wine-keepalive

"$native/bench/dsp_bench"

work=$(mktemp -d)
helpers=()
cleanup() {
  local pid
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  stop_wine "$win32"
  stop_pulse
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
start_xvfb
start_pulse
pactl load-module module-pipe-source source_name=bench_tone file="$work/tone.fifo" \
  format=s16le rate=44100 channels=1 source_properties=device.description=BenchTone >/dev/null
pactl set-default-source bench_tone
parec -d bench_tone --raw >/dev/null &
helpers+=($!)
python3 "$root/tools/tone-writer.py" "$work/tone.fifo" 1033.59375 16465 &
helpers+=($!)
sleep 1
# Device 1 is the tone source by its own name; device 0 is the server's default.
"$root/tools/wine-run" "$win32" "$win32/bench/win32/buffer_path.exe" 1
