#!/usr/bin/env bash
# download.sh SOURCE_DIR BUILD_DIR ZIP
# The download as a user meets it: SHA256SUMS beside ZIP must check; ZIP,
# unpacked into a folder on C: of a fresh Wine prefix, must hold exactly the
# four files with the program stripped; the program, started from that folder
# with the 1033.59375 Hz tone of peak 16465 as its sound card (chosen by name
# in Select soundcard, from the keyboard), must save after Start and Stop a
# file of 513 lines there with bin 24 reading 1033.6 Hz at 0.00 dB (+-0.02),
# put the same text without its last CRLF on the clipboard (read back by
# another process), show the About box and close it, and end with exit code
# 0 on Alt+F4. BUILD_DIR gives the helper programs and the Wine architecture.
set -euo pipefail
root=$1 helpers_build=$2 zip=$3
name=$(basename "$zip" .zip)
window_text="$helpers_build/tests/e2e/window-text.exe"
reader="$helpers_build/tests/commands/clipboard-reader.exe"
# shellcheck source=tools/session.sh
source "$root/tools/session.sh"
# shellcheck source=tests/e2e/e2e.sh
source "$root/tests/e2e/e2e.sh"
trap e2e_cleanup EXIT
# The fresh prefix lives in a build directory of its own, which wine-run
# prepares as it does every build's (fonts, registry settings).
build="$work/fresh"
mkdir -p "$build"
cp "$helpers_build/wine-arch" "$build/"
cleanup_more() { stop_wine "$build"; }

[ -n "${DISPLAY:-}" ] || fail "needs the display the test command starts"
[ -n "${PULSE_SERVER:-}" ] || fail "needs the PulseAudio server the test command starts"
[ -f "$zip" ] || fail "$zip is missing (tools/test.sh makes it, or package_windows of tools/session.sh)"
(cd "$(dirname "$zip")" && sha256sum -c SHA256SUMS) || fail "SHA256SUMS does not check"

timeout 120 "$root/tools/wine-run" "$build" cmd /c exit 0 >/dev/null 2>&1 ||
  fail "the fresh Wine prefix was not made"
drive="$build/wine/prefix/drive_c"
tops=$(unzip -Z1 "$zip" | cut -d/ -f1 | sort -u)
[ "$tops" = "$name" ] || fail "the zip's top folders are: $tops"
unzip -q "$zip" -d "$drive"
folder="$drive/$name"
listing=$(cd "$folder" && find . -mindepth 1 | sort | tr '\n' '|')
[ "$listing" = "./COPYING|./README.txt|./SpectrumAnalyser.exe|./help spectrum.htm|" ] ||
  fail "the folder holds: $listing"
exe="$folder/SpectrumAnalyser.exe"
headers=$(x86_64-w64-mingw32-objdump -h -p "$exe")
grep -q 'debugging information removed' <<<"$headers" && ! grep -q '\.debug' <<<"$headers" ||
  fail "the program is not stripped"
echo "$name: checksums right, four files, the program stripped"

pactl info >/dev/null || fail "PulseAudio does not answer"
feed_tone
cd "$folder"
start_program
sleep 0.5
choose_source E2ETone
keys "$main" alt+s
wait_for_text "Spectrum Analyzer" "&Stop" || fail "Start did not start the capture"
sleep 3
keys "$main" alt+s
wait_for_text "Spectrum Analyzer" "&Start" || fail "Stop did not end the capture"

# File > Save FFT to file, then File > Save FFT to clipboard.
save_to_file
keys "$main" F10 Down Down Return
sleep 0.5
wine_run "$reader" 'C:\clipboard.txt' || fail "the clipboard holds no text"
python3 - "$saved" "$drive/clipboard.txt" <<'PY' || fail "the saved spectrum is wrong"
import sys
saved = open(sys.argv[1], "rb").read().decode("ascii")
clip = open(sys.argv[2], "rb").read().decode("ascii")
lines = saved.split("\r\n")
if len(lines) != 515 or lines[-2:] != ["", ""]:
    sys.exit("the file does not hold 513 lines and an empty one, each ending in CRLF")
frequency, level = lines[24].split("\t")
print("%s: line 25 reads %s Hz, %s dB" % (sys.argv[1], frequency, level))
if frequency != "1033.6" or abs(float(level)) > 0.02:
    sys.exit("line 25 is not the tone's 1033.6 Hz at 0.00 dB")
ends = "CRLF" if "\r\n" in clip else "LF"
print("clipboard: %d bytes, %s line ends" % (len(clip), ends))
if clip.replace("\r", "") != saved[:-2].replace("\r", ""):
    sys.exit("the clipboard's text is not the file's without its last CRLF")
if ends == "CRLF" and clip != saved[:-2]:
    sys.exit("the clipboard's text differs from the file's in its line ends")
PY

# Help > About, closed with Alt+F4 (as with its close box).
keys "$main" F10 Right Right Down Down Return
about=$(wait_for_window "KESTRO spectrum analyser") || fail "the About box did not appear"
texts_of "KESTRO spectrum analyser" | grep -qx "FFT spectrum analyser" || fail "the About box has another title"
keys "$about" alt+F4
wait_for_window_gone "KESTRO spectrum analyser" || fail "Alt+F4 did not close the About box"

close_program
echo "PASS: $name"
