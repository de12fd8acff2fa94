#!/usr/bin/env bash
# Runs the benchmarks: the pass against FFTW natively, then under Wine, for
# each Windows build this host runs (64-bit always, 32-bit where the host runs
# 32-bit code), the buffer's way through the real window and the live update rate of the real
# capture engine with a paced PulseAudio tone source, beside a bare polling
# loop on the same source. Starts and stops its own display and sound server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native="$root/build/native"
win64="$root/build/win64"
win32="$root/build/win32"

bash "$root/tools/install-deps.sh"
# shellcheck source=tools/session.sh
source "$root/tools/session.sh"
build_native "$root" dsp_bench pass_cost
build_win64 "$root" buffer_path wine-keepalive
windows=("$win64")
if host_runs_win32; then
  build_win32 "$root" buffer_path wine-keepalive
  windows+=("$win32")
else
  echo "Not measuring the 32-bit build: $WIN32_SKIP_REASON"
fi

"$native/bench/dsp_bench"

# Instructions per pass under callgrind, counted inside MeasuredPasses only
# (deterministic for a given binary, unlike the shared machine's times).
if command -v valgrind >/dev/null; then
  echo "instructions per pass (callgrind, Hann, steady state):"
  for variant in "fast avx" "fftw avx" "fast sse2" "fftw sse2" "reference sse2"; do
    set -- $variant
    out=$(mktemp)
    if valgrind --tool=callgrind --callgrind-out-file="$out" --collect-atstart=no \
         --toggle-collect='*MeasuredPasses*' "$native/bench/pass_cost" "$1" "$2" 2 100 \
         >/dev/null 2>&1; then
      total=$(awk '/^(summary|totals):/ {print $2; exit}' "$out")
      printf '  %-10s %-5s %8d\n' "$1" "$2" $((total / 100))
    else
      printf '  %-10s %-5s not run on this processor\n' "$1" "$2"
    fi
    rm -f "$out"
  done
fi

work=$(mktemp -d)
helpers=()
cleanup() {
  local pid
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  local build
  for build in "${windows[@]}"; do stop_wine "$build"; done
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
for build in "${windows[@]}"; do
  echo "== $(cat "$build/wine-arch") build under Wine =="
  "$root/tools/wine-run" "$build" "$build/bench/win32/buffer_path.exe" 1
done
