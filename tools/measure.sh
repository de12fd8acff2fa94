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
build_win64 "$root" buffer_path bare_poller press_button spectrum window-text wine-keepalive
windows=("$win64")
if host_runs_win32; then
  build_win32 "$root" buffer_path bare_poller press_button spectrum window-text wine-keepalive
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
cc -O2 -o "$work/first-paint" "$root/tools/first-paint.c" -lX11

# The analyser's own costs beside the bare poller (bench/win32/bare_poller),
# both under the same Wine at the same time: CPU of each Wine process over
# 10 s from /proc (idle, then capturing the tone at 44100 Hz), resident set,
# start-up (launch to the analyser's first painted plot, its yellow cursor
# line, against launch to the bare program's window; median of three after
# one warm-up each) and the size of the program file.
ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
resident_kib() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
launched=()
# launch MODE TITLE PROGRAM [ARGS...]: starts it under first-paint (in this
# shell, not a subshell, so that end_launched knows it); sets pid and ms.
pid= ms=
launch() {
  local mode=$1 title=$2 result; shift 2
  result=$("$work/first-paint" "$mode" "$title" "$root/tools/wine-run" "$build" "$@")
  pid=${result%% *} ms=${result#* }
  launched+=("$pid")
}
# gone PID: waits until the process has ended (a zombie counts as ended:
# nothing here reaps it).
gone() {
  while [ -e "/proc/$1" ] && [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" != Z ]; do
    sleep 0.05
  done
}
end_launched() {
  local p
  for p in "${launched[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${launched[@]}"; do gone "$p"; done
  launched=()
}
median3() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
# cpu_over PID PID: the percent of a core each used over the next 10 s.
cpu_over() {
  local a0 b0 a1 b1
  a0=$(cpu_ticks "$1"); b0=$(cpu_ticks "$2")
  sleep 10
  a1=$(cpu_ticks "$1"); b1=$(cpu_ticks "$2")
  awk -v a=$((a1 - a0)) -v b=$((b1 - b0)) -v t="$ticks" \
    'BEGIN { printf "%.2f %.2f\n", 100 * a / t / 10, 100 * b / t / 10 }'
}
own_costs() {
  local analyser="$build/app/SpectrumAnalyser.exe" bare="$build/bench/win32/bare_poller.exe"
  local starts_bare=() starts_app=() i
  launch window "Bare Poller" "$bare" idle
  launch ffff00 "Spectrum Analyzer" "$analyser"
  end_launched
  for i in 1 2 3; do
    launch window "Bare Poller" "$bare" idle; starts_bare+=("$ms"); end_launched
    launch ffff00 "Spectrum Analyzer" "$analyser"; starts_app+=("$ms"); end_launched
  done
  local start_bare start_app
  start_bare=$(median3 "${starts_bare[@]}"); start_app=$(median3 "${starts_app[@]}")

  local app_pid bare_pid idle capture
  # The analyser opens last, so that it has Wine's focus for its Start key.
  launch window "Bare Poller" "$bare" idle; bare_pid=$pid
  launch ffff00 "Spectrum Analyzer" "$analyser"; app_pid=$pid
  sleep 2
  idle=$(cpu_over "$app_pid" "$bare_pid")
  kill "$bare_pid"; gone "$bare_pid"
  # Start (button 1004) before the capturing bare program opens.
  "$root/tools/wine-run" "$build" "$build/bench/win32/press_button.exe" "Spectrum Analyzer" 1004
  sleep 1
  if ! "$root/tools/wine-run" "$build" "$build/tests/e2e/window-text.exe" "Spectrum Analyzer" \
       2>/dev/null | tr -d '\r' | grep -qx '&Stop'; then
    echo "  the analyser did not start capturing: no costs measured"
    end_launched
    return 0
  fi
  launch window "Bare Poller" "$bare" capture 0; bare_pid=$pid
  sleep 2
  capture=$(cpu_over "$app_pid" "$bare_pid")
  local rss_app rss_bare
  rss_app=$(resident_kib "$app_pid"); rss_bare=$(resident_kib "$bare_pid")
  end_launched
  local size_app size_bare
  size_app=$(stat -c %s "$analyser"); size_bare=$(stat -c %s "$bare")
  awk -v idle="$idle" -v capture="$capture" -v sa="$start_app" -v sb="$start_bare" \
      -v ra="$rss_app" -v rb="$rss_bare" -v za="$size_app" -v zb="$size_bare" 'BEGIN {
    split(idle, i, " "); split(capture, c, " ")
    printf "  CPU capturing 44100 Hz: analyser %.2f %%, bare %.2f %%: %+.2f %% of a core (goal <= +1): %s\n",
      c[1], c[2], c[1] - c[2], (c[1] - c[2] <= 1.0) ? "ok" : "MISSED"
    printf "  CPU idle:               analyser %.2f %%, bare %.2f %%: %+.2f %% (goal <= 0, same loop): %s\n",
      i[1], i[2], i[1] - i[2], (i[1] - i[2] <= 0.1) ? "ok" : "MISSED"
    printf "  start-up: analyser %d ms to its first painted plot, bare %d ms to its window: x%.2f (goal <= 1.5): %s\n",
      sa, sb, sa / sb, (sa / sb <= 1.5) ? "ok" : "MISSED"
    printf "  resident while capturing: analyser %.1f MiB, bare %.1f MiB: %+.1f MiB (goal <= 4): %s\n",
      ra / 1024, rb / 1024, (ra - rb) / 1024, ((ra - rb) / 1024 <= 4) ? "ok" : "MISSED"
    printf "  program file: %.0f KB (bare %.0f KB; goal <= 1536 KB): %s\n",
      za / 1024, zb / 1024, (za / 1024 <= 1536) ? "ok" : "MISSED"
  }'
}

# Device 1 is the tone source by its own name; device 0 is the server's default.
for build in "${windows[@]}"; do
  echo "== $(cat "$build/wine-arch") build under Wine =="
  "$root/tools/wine-run" "$build" "$build/bench/win32/buffer_path.exe" 1
  echo "own costs beside the bare poller, one Wine, one run (tone on the default device):"
  own_costs
done
