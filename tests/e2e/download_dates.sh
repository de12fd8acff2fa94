#!/usr/bin/env bash
# download_dates.sh SOURCE_DIR ZIP
# What a rebuild of the same commit must repeat, checked in one build: the
# BUILDINFO.txt beside ZIP names the compilers, binutils, zip and CMake that
# made it, whose versions a rebuild needs; every entry of ZIP is dated at the
# source's time (cmake/SourceDateEpoch.cmake, to the 2 s of a zip's DOS
# time), carries no extra field (where the times of access and inode change
# of the build machine would go), and the entries come in the order of their
# names; the program's PE header holds that time or 0, not the time it was
# linked or stripped.
set -euo pipefail
root=$1 zip=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$zip" ] || fail "$zip is missing (tools/test.sh makes it, or package_windows of tools/session.sh)"
for tool in '(GCC)' 'GNU Binutils' 'Info-ZIP' 'cpack version'; do
  grep -qF "$tool" "$(dirname "$zip")/BUILDINFO.txt" || fail "BUILDINFO.txt beside $zip does not name $tool"; done
epoch=$(cmake -DSOURCE_DIR="$root" -P "$root/cmake/SourceDateEpoch.cmake")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A clone that git cannot read must stop the dating, not fall back to the
# date of a tree without git (which two builders of one commit would not share).
echo "gitdir: $scratch/none" >"$scratch/.git"
! env -u SOURCE_DATE_EPOCH cmake -DSOURCE_DIR="$scratch" -P "$root/cmake/SourceDateEpoch.cmake" >/dev/null 2>&1 ||
  fail "a clone that git cannot read was dated all the same"
rm "$scratch/.git"
[[ "$(env -u SOURCE_DATE_EPOCH cmake -DSOURCE_DIR="$scratch" -P "$root/cmake/SourceDateEpoch.cmake")" =~ ^[0-9]+$ ]] ||
  fail "a tree without git is not dated"
dos_time() { TZ=UTC0 date -d "@$1" +%Y%m%d.%H%M%S; }
# A DOS time counts seconds in twos; zip rounds an odd second either way.
allowed=" $(dos_time $((epoch - epoch % 2))) $(dos_time $((epoch + epoch % 2))) "

names=()
while read -r _ _ _ _ _ _ time name; do
  [[ "$allowed" == *" $time "* ]] || fail "$name is dated $time, not at the source's time $epoch"
  names+=("$name")
done < <(zipinfo -T "$zip" | grep '^[-d]')
[ ${#names[@]} -gt 0 ] || fail "no entries in $zip"
sorted=$(printf '%s\n' "${names[@]}" | LC_ALL=C sort)
[ "$sorted" = "$(printf '%s\n' "${names[@]}")" ] || fail "the entries are not in the order of their names"
extras=$(zipinfo -v "$zip" | grep -c 'length of extra field: *[1-9]' || true)
[ "$extras" = 0 ] || fail "$extras entries carry extra fields (owners, access or change times)"

# TimeDateStamp: 4 bytes at 8 past the PE signature, whose offset is at 0x3c.
exe=$(printf '%s\n' "${names[@]}" | grep '\.exe$') || fail "no program in $zip"
header="$scratch/program"
unzip -p "$zip" "$exe" >"$header"
pe=$(od -An -tu4 -j60 -N4 "$header" | tr -d ' ')
stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$header" | tr -d ' ')
[ "$stamp" = 0 ] || [ "$stamp" = "$epoch" ] ||
  fail "$exe carries the time $stamp ($(TZ=UTC0 date -d "@$stamp")) in its header"
echo "$(basename "$zip"): ${#names[@]} entries in name order dated $(dos_time "$epoch") UTC, no extra fields; program header time $stamp"
