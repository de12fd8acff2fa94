# Sourced by the run, test and measure scripts: the two builds, a virtual
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

# start_pulse: starts a PulseAudio server with no modules but its native
# socket in a private runtime folder; exports the client environment, sets
# PULSE_PID and PULSE_DIR.
start_pulse() {
  PULSE_DIR=$(mktemp -d)
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
# one build directory's prefix.
stop_wine() {
  local prefix="$1/wine/prefix"
  [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -f "$1/wine/keepalive.pid"
}
