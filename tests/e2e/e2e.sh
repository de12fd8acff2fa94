# Sourced by the end-to-end scripts, which drive a real program under Wine
# from outside, as a user would, in the display and PulseAudio server the
# test command started. The script sets root (the source tree), build (the
# build directory whose Wine prefix runs the programs), exe (the program) and
# window_text (the helper that reads a window's texts) first, and ends with
# e2e_cleanup (trap e2e_cleanup EXIT); a function cleanup_more, where the
# script has one, runs in it before the work folder goes.
work=$(mktemp -d)
helpers=()
module=
writer=
app=
own_pulse=

fail() { echo "FAIL: $*" >&2; exit 1; }

e2e_cleanup() {
  if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then
    # $app is tools/wine-test, or the loader it became; the loader of its
    # first try is its child.
    pkill -P "$app" 2>/dev/null || true
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
  local pid
  for pid in "${helpers[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [ -n "$module" ] && pactl unload-module "$module" 2>/dev/null || true
  [ -n "$own_pulse" ] && stop_pulse
  if declare -F cleanup_more >/dev/null; then cleanup_more; fi
  rm -rf "$work"
}

wine_run() { "$root/tools/wine-run" "$build" "$@"; }

# wait_for_window TITLE [TRIES] [PID]: prints the X window id once a window
# has that title; gives up after TRIES tenths of a second (100), or as soon as
# process PID has ended.
wait_for_window() {
  local id
  for _ in $(seq "${2:-100}"); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    [ -z "${3:-}" ] || kill -0 "$3" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

wait_for_window_gone() {
  for _ in $(seq "${2:-100}"); do
    xdotool search --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# keys WINDOW KEY...: gives the window the keyboard focus and types the keys.
keys() {
  local window=$1; shift
  xdotool windowfocus --sync "$window"
  local key
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.2
  done
}

# dismiss WINDOW TITLE: clicks the window's caption and presses Return in it
# until it has gone, as a user does with a box that is not in front. Without
# a window manager Wine sometimes takes the focus back to the main window
# just after a message box has been shown (the main window's late answer to
# the focus it was given for the key that brought the box up); the box then
# lies under it, inactive, and keys sent to it do nothing until it is clicked.
dismiss() {
  local press WIDTH=0
  for press in 1 2 3 4 5; do
    eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || true
    xdotool windowraise "$1" mousemove --window "$1" $((WIDTH / 2)) 8 click 1 2>/dev/null || true
    keys "$1" Return 2>/dev/null || true
    if wait_for_window_gone "$2" 20; then
      [ "$press" -eq 1 ] || echo "\"$2\" went at the press of Return number $press"
      return 0
    fi
  done
  return 1
}

texts_of() { wine_run "$window_text" "$1" 2>/dev/null | tr -d '\r' || true; }

# wait_for_text TITLE LINE: waits until a child of that window reads LINE.
wait_for_text() {
  for _ in $(seq 50); do
    texts_of "$1" | grep -qx -- "$2" && return 0
    sleep 0.1
  done
  return 1
}

# feed_tone: a pipe source fed with the tone, made the server's default
# source and kept drained; its module number in $module. Each source gets a
# FIFO of its own: a server that was killed leaves its FIFO behind.
feeds=0
feed_tone() {
  feeds=$((feeds + 1))
  local fifo="$work/tone$feeds.fifo"
  module=$(pactl load-module module-pipe-source source_name=e2e_tone file="$fifo" \
           format=s16le rate=44100 channels=1 source_properties=device.description=E2ETone)
  pactl set-default-source e2e_tone
  # The pipe source stalls when nobody records: keep it drained, and feed it
  # at the real rate.
  parec -d e2e_tone --raw >/dev/null &
  helpers+=($!)
  # SIGUSR1 to $writer moves the tone from bin 24 to bin 48, a second one
  # turns it into digital silence.
  python3 "$root/tools/tone-writer.py" "$fifo" 1033.59375,2067.1875 16465,16465,0 &
  writer=$!
  helpers+=($!)
}

# start_program: starts the program in the current folder and waits for its
# main window, whose X window id it leaves in $main. It goes through
# tools/wine-test, as ctest's own tests do, so that a Wine loader that ended
# at once (seen once in a few hundred starts on a busy machine) is started
# once more. A program that ends or shows no window within 30 s fails the
# test with what Wine printed last.
start_program() {
  "$root/tools/wine-test" "$build" "$exe" 2>"$work/wine.log" &
  app=$!
  local started=$SECONDS status=0
  main=$(wait_for_window "Spectrum Analyzer" 300 "$app") && return 0
  if kill -0 "$app" 2>/dev/null; then
    echo "the program still runs, $((SECONDS - started)) s after its start, without a main window" >&2
  else
    wait "$app" || status=$?
    app=
    echo "the program ended with exit code $status before its main window appeared" >&2
  fi
  echo "the last lines Wine printed:" >&2
  tail -n 20 "$work/wine.log" >&2
  fail "the main window did not appear"
}

# choose_source DESCRIPTION: Soundcard > SelectSoundcard from the keyboard,
# Down through the device list until the combo box reads DESCRIPTION, then OK.
choose_source() {
  keys "$main" F10 Right Down Down Down Return
  local dialog found=
  dialog=$(wait_for_window "Select soundcard") || fail "the sound-card dialog did not appear"
  for _ in 1 2 3 4 5 6; do
    keys "$dialog" Down
    if texts_of "Select soundcard" | grep -qx -- "$1"; then found=1; break; fi
  done
  [ -n "$found" ] || fail "$1 is not in the device list"
  keys "$dialog" Tab Return
  wait_for_window_gone "Select soundcard" || fail "OK did not close the sound-card dialog"
}

# save_to_file: File > Save FFT to file from the keyboard; leaves in $saved
# the file it wrote into the current folder, the program's.
save_to_file() {
  keys "$main" F10 Down Return
  saved=
  for _ in $(seq 50); do
    saved=$(find . -maxdepth 1 -name 'FFT*.txt' | head -n 1)
    [ -n "$saved" ] && return 0
    sleep 0.1
  done
  fail "Save FFT to file left no file in the program's folder"
}

# close_program: Alt+F4 on the main window; the program must end by itself
# with exit code 0.
close_program() {
  keys "$main" alt+F4
  for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app" 2>/dev/null && fail "the program did not end after Alt+F4"
  local status=0
  wait "$app" || status=$?
  app=
  [ "$status" -eq 0 ] || fail "the program ended with exit code $status"
}
