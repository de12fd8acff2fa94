#!/usr/bin/env bash
# Runs the message storm and the soak of the win64 build at full size (10^6
# messages, 10^5 buffers; or STORM_MESSAGES and SOAK_BUFFERS as given) in a
# virtual display of their own. STORM_SEED picks another storm. Everything
# started here is stopped here, by PID.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/win64"
# shellcheck source=tools/session.sh
source "$root/tools/session.sh"
build_win64 "$root" app_hardening_tests
cleanup() { stop_wine "$build"; stop_pulse; stop_xvfb; }
trap cleanup EXIT
start_xvfb
start_pulse
export STORM_MESSAGES=${STORM_MESSAGES:-1000000} SOAK_BUFFERS=${SOAK_BUFFERS:-100000}
# One process for each, as under ctest.
status=0
for test in 'MessageStorm.*' 'Soak.*'; do
  "$root/tools/wine-run" "$build" "$build/tests/app/app_hardening_tests.exe" --gtest_filter="$test" || status=1
done
exit $status
