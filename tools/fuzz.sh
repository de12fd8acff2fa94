#!/usr/bin/env bash
# Builds the libFuzzer targets of the portable core (build/fuzz, Debian's
# clang with AddressSanitizer and UBSan) and runs each for SECONDS seconds
# (default 600), one after the other, from its committed seeds and what
# earlier runs found. Prints each target's count of executions; exits 1 on
# any finding, with the input kept in build/fuzz/findings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}

bash "$root/tools/install-deps.sh"
# shellcheck source=tools/session.sh
source "$root/tools/session.sh"
if ! have_fuzz_compiler; then
  echo "fuzz: cannot build the fuzz targets: $FUZZ_SKIP_REASON" >&2
  exit 1
fi
build_fuzz "$root"
run_fuzzers "$root" "$seconds"
