# Sourced by the run, test, fuzz and measure scripts: the builds, a virtual
# display and a private PulseAudio server, each started in the background and
# stopped by its PID. Nothing here touches a server or display that was
# already running.

# build_native ROOT [TARGET...], build_win32 ROOT [TARGET...],
# build_win64 ROOT [TARGET...]: configure and build build/native, build/win32
# (i686, the product) or build/win64 (x86_64), all targets when none are named.
build_native() {
  local root=$1; shift
  cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/native" -j2 ${1:+--target "$@"}
}
build_windows() {
  local root=$1 name=$2 triplet=$3; shift 3
  cmake -S "$root" -B "$root/build/$name" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$triplet.cmake" >/dev/null
  cmake --build "$root/build/$name" -j2 ${1:+--target "$@"}
}
build_win32() { local root=$1; shift; build_windows "$root" win32 i686-w64-mingw32 "$@"; }
build_win64() { local root=$1; shift; build_windows "$root" win64 x86_64-w64-mingw32 "$@"; }

# package_windows ROOT: the downloads of the two Windows builds, staged by
# CPack from build/win32 and build/win64 (their programs built; it builds
# nothing) and zipped into build/dist by cmake/ZipDownload.cmake, with
# SHA256SUMS beside the zips and BUILDINFO.txt (buildinfo). The same commit
# gives the same bytes with the same tools. SHA256SUMS lists the zips alone:
# a rebuild whose tools differ only in a version that changes no byte still
# matches it.
package_windows() {
  local root=$1 dist="$1/build/dist" name
  rm -rf "$dist"
  for name in win32 win64; do
    cpack --config "$root/build/$name/CPackConfig.cmake" >/dev/null
  done
  (cd "$dist" && sha256sum -- *.zip >SHA256SUMS)
  buildinfo "$root" >"$dist/BUILDINFO.txt"
  echo "Downloads in $dist:" $(cd "$dist" && ls)
}

# buildinfo ROOT: the versions of what made the downloads: the tools each
# Windows build names in its download-tools.txt (cmake/Packaging.cmake), what
# their compilers run and link in (cc1plus, ld, libstdc++, libgcc, the
# MinGW-w64 runtime) and the cpack that package_windows runs. First the
# Debian packages that hold them, then each tool's own version line.
buildinfo() {
  local root=$1 tool file package tools=() files=()
  mapfile -t tools < <(cat "$root"/build/win{32,64}/download-tools.txt; echo cpack)
  for tool in "${tools[@]}"; do
    tool=$(command -v "$tool")
    files+=("$tool")
    case $tool in *-g++*)
      for file in prog-name=cc1plus prog-name=ld file-name=libstdc++.a file-name=libgcc.a \
                  file-name=libmingw32.a; do
        files+=("$("$tool" -print-$file)")
      done;;
    esac
  done
  echo "Made on $(. /etc/os-release && echo "$PRETTY_NAME") with these Debian packages:"
  for file in "${files[@]}"; do
    file=$(readlink -f "$file")
    if package=$(dpkg -S "$file" 2>/dev/null); then
      dpkg-query -W -f='${Package} ${Version}\n' "${package%%:*}"
    else
      echo "(no Debian package holds $file)"
    fi
  done | LC_ALL=C sort -u
  echo
  echo "The tools say:"
  for file in "${files[@]}"; do
    case $file in */cc1plus|*.a) continue;; esac
    echo "$(basename "$file"): $("$file" --version 2>&1 | grep -v '^Copyright' | sed -n 1p)"
  done | awk '!seen[$0]++'
}

# build_asan ROOT [TARGET...]: build/asan, the native build with
# AddressSanitizer and UBSan (GCC), every finding fatal; all targets when none
# are named. test_asan ROOT runs its tests, leaks counting as findings.
build_asan() {
  local root=$1; shift
  cmake -S "$root" -B "$root/build/asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DANALYSER_SANITIZE=ON >/dev/null
  cmake --build "$root/build/asan" -j2 ${1:+--target "$@"}
}
test_asan() {
  ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$1/build/asan" --output-on-failure -j2
}

# have_fuzz_compiler: true where Debian's clang can link a libFuzzer
# program; sets FUZZ_SKIP_REASON when it answers no.
have_fuzz_compiler() {
  FUZZ_SKIP_REASON=
  if ! command -v clang++ >/dev/null 2>&1; then
    FUZZ_SKIP_REASON="clang++ is not installed"
  elif ! printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' |
       clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
    FUZZ_SKIP_REASON="clang++ links no libFuzzer program (libclang-rt-14-dev missing?)"
  fi
  [ -z "$FUZZ_SKIP_REASON" ]
}

# build_fuzz ROOT: build/fuzz, the portable core and its libFuzzer targets
# (tests/fuzz) with clang, AddressSanitizer and UBSan.
build_fuzz() {
  local root=$1
  cmake -S "$root" -B "$root/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DANALYSER_FUZZ=ON >/dev/null
  cmake --build "$root/build/fuzz" -j2 --target fuzzers
}

# run_fuzzers ROOT SECONDS: runs every fuzz target of build/fuzz for SECONDS
# from its committed seeds (tests/fuzz/corpus/<target>, only read) and the
# inputs earlier runs found (build/fuzz/work/<target>); prints one line per
# target with libFuzzer's count of executions. A crash, a failed check, a
# sanitizer report, a leak or a slow input fails the run and leaves the
# input in build/fuzz/findings.
run_fuzzers() {
  local root=$1 seconds=$2 fuzz="$1/build/fuzz" status=0 exe name log runs
  mkdir -p "$fuzz/logs" "$fuzz/findings"
  for exe in "$fuzz"/tests/fuzz/fuzz_*; do
    [ -x "$exe" ] || continue
    name=${exe##*/fuzz_}
    log="$fuzz/logs/$name.log"
    mkdir -p "$fuzz/work/$name"
    if "$exe" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
         -print_final_stats=1 -artifact_prefix="$fuzz/findings/$name-" \
         "$fuzz/work/$name" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1; then
      runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
      echo "fuzz $name: ${runs:-?} executions in ${seconds} s, no finding"
    else
      echo "fuzz $name: FINDING (log $log, input in $fuzz/findings):"
      tail -n 40 "$log"
      status=1
    fi
  done
  return $status
}

# host_runs_win32: true where this host can run the 32-bit Windows build,
# found by running the 32-bit Wine loader (a kernel without 32-bit emulation
# refuses to execute it) unless ANALYSER_SKIP_WIN32=1 forces the answer no.
# Sets WIN32_SKIP_REASON when it answers no.
host_runs_win32() {
  WIN32_SKIP_REASON=
  if [ "${ANALYSER_SKIP_WIN32:-}" = 1 ]; then
    WIN32_SKIP_REASON="ANALYSER_SKIP_WIN32=1 is set"
  elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WIN32_SKIP_REASON="this host does not run 32-bit x86 code (the 32-bit Wine loader does not start)"
  fi
  [ -z "$WIN32_SKIP_REASON" ]
}

# start_xvfb: starts Xvfb on a free display, exports DISPLAY, sets XVFB_PID.
start_xvfb() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" </dev/null >/dev/null 2>&1 &
  XVFB_PID=$!
  local display
  read -r -t 20 display <"$fifo" || true
  rm -f "$fifo"
  if [ -z "${display:-}" ]; then
    echo "session: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$display"
}

# start_pulse [DIR]: starts a PulseAudio server with no modules but its
# native socket in a private runtime folder, a new one or DIR, the folder of
# an earlier server of ours that has ended (so that its clients find the
# socket where it was); exports the client environment, sets PULSE_PID and
# PULSE_DIR.
start_pulse() {
  PULSE_DIR=${1:-$(mktemp -d)}
  mkdir -p "$PULSE_DIR/runtime" "$PULSE_DIR/state"
  chmod 700 "$PULSE_DIR/runtime"
  printf 'autospawn = no\n' >"$PULSE_DIR/client.conf"
  export XDG_RUNTIME_DIR="$PULSE_DIR/runtime"
  export PULSE_CLIENTCONFIG="$PULSE_DIR/client.conf"
  export PULSE_STATE_PATH="$PULSE_DIR/state"
  export PULSE_SERVER="unix:$PULSE_DIR/runtime/native"
  HOME="$PULSE_DIR" pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=false \
    --disallow-exit -L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_DIR/runtime/native" \
    </dev/null >"$PULSE_DIR/pulseaudio.log" 2>&1 &
  PULSE_PID=$!
  local i
  for i in $(seq 100); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "session: PulseAudio did not start (see $PULSE_DIR/pulseaudio.log)" >&2
  return 1
}

# stop_pid PID: ends one process of ours and waits for it.
stop_pid() {
  [ -n "${1:-}" ] || return 0
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# stop_pulse, stop_xvfb: the counterparts of the start functions.
stop_pulse() {
  stop_pid "${PULSE_PID:-}"
  PULSE_PID=
  [ -n "${PULSE_DIR:-}" ] && rm -rf "$PULSE_DIR"
  PULSE_DIR=
}
stop_xvfb() {
  stop_pid "${XVFB_PID:-}"
  XVFB_PID=
}

# stop_wine BUILD_DIR: ends the wineserver (and with it every Wine process) of
# one build directory's prefix. The path may be relative, as for wine-run:
# Wine ignores a relative WINEPREFIX, which would leave the server running.
stop_wine() {
  [ -d "$1" ] || return 0
  local prefix
  prefix="$(cd "$1" && pwd)/wine/prefix"
  [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -f "$1/wine/keepalive.pid"
}
