#!/usr/bin/env bash
# Builds the analyser natively and for 32-bit Windows and runs every test:
# the portable core natively, then the same unit tests, the window tests and
# the end-to-end tests under Wine, inside a virtual display with a private
# PulseAudio server. Everything started here is stopped here, by PID.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native="$root/build/native"
win32="$root/build/win32"

bash "$root/tools/install-deps.sh"
# shellcheck source=tools/session.sh
source "$root/tools/session.sh"
build_native "$root"
build_win32 "$root"

cleanup() {
  stop_wine "$win32"
  stop_pulse
  stop_xvfb
}
trap cleanup EXIT
start_xvfb
start_pulse
# Make the Wine prefix (once per build directory, about ten seconds) before
# ctest starts its clock on the first test.
timeout 300 "$root/tools/wine-run" "$win32" cmd /c exit 0 >/dev/null 2>&1 || true

status=0
ctest --test-dir "$native" --output-on-failure -j2 || status=1
ctest --test-dir "$win32" --output-on-failure -j2 || status=1
exit $status
