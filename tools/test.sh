#!/usr/bin/env bash
# Builds the analyser natively, for 64-bit and for 32-bit Windows and runs
# every test: the portable core natively, again under AddressSanitizer and
# UBSan, and each fuzz target of the core for 20 s (where clang can build
# them); makes the two downloads in build/dist; then the same unit tests, the
# window tests and the end-to-end tests of each Windows build under Wine
# (among them the download's own test), inside a virtual display with a
# private PulseAudio server. The 32-bit tests run where this host runs 32-bit
# code; elsewhere (or with ANALYSER_SKIP_WIN32=1) the 32-bit images are checked
# without running them. Everything started here is stopped here, by PID.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native="$root/build/native"
win64="$root/build/win64"
win32="$root/build/win32"

bash "$root/tools/install-deps.sh"
# shellcheck source=tools/session.sh
source "$root/tools/session.sh"
build_native "$root"
build_asan "$root"
fuzzing=0
if have_fuzz_compiler; then
  build_fuzz "$root"
  fuzzing=1
fi
build_win64 "$root"
build_win32 "$root"
package_windows "$root"

windows=("$win64")
if host_runs_win32; then
  windows+=("$win32")
fi

cleanup() {
  local build
  for build in "${windows[@]}"; do stop_wine "$build"; done
  stop_pulse
  stop_xvfb
}
trap cleanup EXIT
start_xvfb
start_pulse
# Make each Wine prefix (once per build directory, about ten seconds) before
# ctest starts its clock on the first test.
for build in "${windows[@]}"; do
  timeout 300 "$root/tools/wine-run" "$build" cmd /c exit 0 >/dev/null 2>&1 || true
done

status=0
ctest --test-dir "$native" --output-on-failure -j2 || status=1
echo "Native unit tests under AddressSanitizer and UBSan"
test_asan "$root" || status=1
if [ $fuzzing = 1 ]; then
  run_fuzzers "$root" 20 || status=1
else
  echo "Not fuzzing the core: $FUZZ_SKIP_REASON"
fi
for build in "${windows[@]}"; do
  ctest --test-dir "$build" --output-on-failure -j2 || status=1
done

if [ -n "$WIN32_SKIP_REASON" ]; then
  # Without running it, the 32-bit build must still be whole: the program a
  # PE32 GUI image for i386 with its imports and resources, each import one
  # that Windows XP SP3 has, every test program an i386 image, the zip dated
  # at the last commit.
  mapfile -t images < <(find "$win32" -name '*.exe' -not -path '*/wine/*' -not -path '*/CMakeFiles/*' | sort)
  others=$(IFS=';'; echo "${images[*]}")
  echo "Checking the 32-bit build without running it (${#images[@]} images)"
  cmake -DOBJDUMP=i686-w64-mingw32-objdump -DWINDRES=i686-w64-mingw32-windres -DMACHINE=i386 \
        -DPROGRAM="$win32/app/SpectrumAnalyser.exe" "-DOTHERS=$others" \
        -P "$root/tests/app/check_program.cmake" || status=1
  cmake -DOBJDUMP=i686-w64-mingw32-objdump -DMACHINE=i386 -DPROGRAM="$win32/app/SpectrumAnalyser.exe" \
        -DLIST="$root/tests/app/xp_imports.txt" -P "$root/tests/app/check_imports.cmake" || status=1
  bash "$root/tests/e2e/download_dates.sh" "$root" "$root"/build/dist/*-win32.zip || status=1
  echo "Windows builds tested: win64 under Wine; win32 built and checked, not run: $WIN32_SKIP_REASON"
else
  echo "Windows builds tested: win64 and win32, both under Wine"
fi
exit $status
