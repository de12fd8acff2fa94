#!/usr/bin/env bash
# windows_versions.sh SOURCE_DIR BUILD_DIR TESTS FAKE_SNDVOL
# Runs the test program TESTS twice in the build's Wine prefix: once with Wine
# reporting Windows XP to it, once Windows 10 (set for that program's name
# alone under AppDefaults, so the other tests that share the prefix keep
# theirs), with FAKE_SNDVOL installed as SndVol.exe in the system folders.
# The setting and SndVol.exe are removed again however the runs end.
set -euo pipefail
root=$1 build=$2 tests=$3 sndvol=$4
key="HKCU\\Software\\Wine\\AppDefaults\\$(basename "$tests")"
windows="$build/wine/prefix/drive_c/windows"
wine_run() { "$root/tools/wine-run" "$build" "$@" </dev/null; }

installed=()
cleanup() {
  wine_run reg delete "$key" /f >/dev/null 2>&1 || true
  rm -f "${installed[@]}" "$windows"/*/SndVol-started.txt
}
trap cleanup EXIT

wine_run cmd /c exit 0 >/dev/null 2>&1   # makes the prefix if it is new
# A 32-bit program in a 64-bit prefix looks in syswow64.
for folder in system32 syswow64; do
  [ -d "$windows/$folder" ] || continue
  # One of ours that a killed run left behind is replaced; another is kept.
  if [ -e "$windows/$folder/SndVol.exe" ] && ! cmp -s "$sndvol" "$windows/$folder/SndVol.exe"; then
    echo "FAIL: $folder holds a SndVol.exe that is not the stand-in" >&2
    exit 1
  fi
  installed+=("$windows/$folder/SndVol.exe")
  cp "$sndvol" "$windows/$folder/SndVol.exe"
done

status=0
for version in winxp win10; do
  wine_run reg add "$key" /v Version /d "$version" /f >/dev/null
  echo "Wine set to report $version:"
  EXPECTED_WINDOWS=$version "$root/tools/wine-test" "$build" "$tests" || status=1
done
exit $status
