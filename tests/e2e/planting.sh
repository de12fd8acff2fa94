#!/usr/bin/env bash
# planting.sh SOURCE_DIR BUILD_DIR PLANTED_WINMM PROBE STAND_IN
# The program in a folder such as Downloads, with a winmm.dll beside it
# (PLANTED_WINMM, which leaves a mark when a process loads it) and a
# Sndvol32.exe in its current folder (STAND_IN, which leaves its command line
# there when it runs). Wine is told to search the program's folder for winmm
# first, as Windows does for a DLL that is not one of its known DLLs (Wine
# otherwise takes its own whatever lies there). Start, Stop, Soundcard >
# Mixer and Alt+F4: the program must close with exit code 0, and neither the
# planted DLL nor the stand-in may have run. Then PROBE, a program that
# imports winmm, must load the planted DLL from the same folder: without
# that the first half would prove nothing.
set -euo pipefail
root=$1 build=$2 planted=$3 probe=$4 standin=$5
window_text="$build/tests/e2e/window-text.exe"
# shellcheck source=tests/e2e/e2e.sh
source "$root/tests/e2e/e2e.sh"
trap e2e_cleanup EXIT

downloads="$work/Downloads"
mkdir -p "$downloads"
cp "$build/app/SpectrumAnalyser.exe" "$planted" "$probe" "$downloads/"
cp "$standin" "$downloads/Sndvol32.exe"
exe="$downloads/SpectrumAnalyser.exe"
mark="$downloads/winmm-planted-ran.txt"
cd "$downloads"
export WINEDLLOVERRIDES="winmm=n,b"
feed_tone

start_program
keys "$main" alt+s
if wait_for_text "Spectrum Analyzer" "&Stop"; then
  keys "$main" alt+s
  wait_for_text "Spectrum Analyzer" "&Start" || fail "Stop did not end the capture"
  echo "Start recorded from the system's wave input"
else
  warning=$(wait_for_window "Warning" 30) || fail "Start neither recorded nor warned"
  echo "Start warned: $(texts_of Warning | grep "!" || true)"
  dismiss "$warning" "Warning" || fail "the warning did not go"
fi
# Soundcard > Mixer. Wine has neither mixer in its system folder, unless a
# stand-in was left there (tests/commands/windows_versions.sh): then that one runs.
keys "$main" F10 Right Down Return
if ls "$build/wine/prefix/drive_c/windows/system32" | grep -qix -e sndvol32.exe -e sndvol.exe; then
  echo "the prefix's system folder holds a mixer, which Mixer starts"
  sleep 2
else
  warning=$(wait_for_window "Warning" 50) || fail "Mixer started something, or said nothing"
  texts_of "Warning" | grep -qx "Volume mixer didn't open!" || fail "Mixer gave another warning"
  dismiss "$warning" "Warning" || fail "the mixer's warning did not go"
fi
close_program

[ ! -e "$mark" ] || fail "the program loaded the winmm.dll lying beside it"
[ ! -e SndVol-started.txt ] || fail "Mixer started the Sndvol32.exe of the current folder"
echo "neither the planted winmm.dll nor the Sndvol32.exe beside the program ran"

wine_run "$downloads/$(basename "$probe")" >/dev/null 2>&1 || true
[ -e "$mark" ] || fail "a program importing winmm did not load the planted one either: this Wine does not search the program's folder, and the check proves nothing"
echo "PASS: a program that imports winmm loads the one planted beside it; the analyser does not"
