#!/usr/bin/env bash
# Checks a signed release folder (zips, detached signatures, SHA256SUMS,
# BUILDINFO.txt) from a clean clone at the release's commit: rebuilds the
# unsigned downloads, attaches the published signatures, compares the sums
# and verifies each program's signature. Exits 0 only when all is well. See
# "Checking a signed download" in README.md.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/release.sh
source "$root/tools/release.sh"

usage() {
  cat <<'EOF'
Usage: tools/check-release.sh DIR [--ca FILE] [--unsigned DIST]
  DIR              the signed release folder
  --ca FILE        CA certificates (PEM) to trust for the signatures and their
                   timestamps (default: the system's)
  --unsigned DIST  take the unsigned downloads already built in DIST instead
                   of building them (build/dist)
EOF
}
fail() { echo "check-release: $*" >&2; exit 1; }

release= ca= dist=
while [ $# -gt 0 ]; do
  case $1 in
    --ca) ca=$(realpath "$2"); shift;;
    --unsigned) dist=$2; shift;;
    -h|--help) usage; exit 0;;
    -*) usage >&2; fail "unknown option $1";;
    *) release=$1;;
  esac
  shift
done
[ -n "$release" ] || { usage >&2; fail "no release folder"; }
[ -f "$release/SHA256SUMS" ] && [ -f "$release/BUILDINFO.txt" ] ||
  fail "$release holds no SHA256SUMS and BUILDINFO.txt; is it a release folder?"

commit=$(sed -n 's/^Signed at commit \([0-9a-f]*\) .*/\1/p' "$release/BUILDINFO.txt")
made_with=$(sed -n 's/^Signed at commit .* with //p' "$release/BUILDINFO.txt")
[ "$(git -C "$root" rev-parse HEAD)" = "$commit" ] ||
  fail "this clone is not at the release's commit: git checkout $commit"
if [ -z "$dist" ]; then
  [ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] ||
    fail "this clone has uncommitted changes; check in a clean clone"
  # shellcheck source=tools/session.sh
  source "$root/tools/session.sh"
  build_win32 "$root" spectrum >/dev/null && build_win64 "$root" spectrum >/dev/null && package_windows "$root" >/dev/null
  dist="$root/build/dist"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/rebuilt"
mapfile -t zips < <(sed 's/^[0-9a-f]*  //' "$release/SHA256SUMS")
for zip in "${zips[@]}"; do
  [ -f "$dist/$zip" ] || fail "the rebuild made no $zip"
  release_zip "$root" "$dist/$zip" "$release/$(signature_of "$zip")" "$work/rebuilt" "$work/unpacked" ||
    fail "$(osslsigncode_version) could not attach $(signature_of "$zip"); the release was made with $made_with"
done
(cd "$work/rebuilt" && sha256sum -- "${zips[@]}") >"$work/SHA256SUMS"
if ! cmp -s "$work/SHA256SUMS" "$release/SHA256SUMS"; then
  first=$(diff "$work/SHA256SUMS" "$release/SHA256SUMS" | sed -n 's/^< [0-9a-f]*  //p' | head -n 1 || true)
  echo "differs: $first (the rebuild with the published signature is not the released file)"
  [ "$(osslsigncode_version)" = "$made_with" ] ||
    echo "The release was made with $made_with; this machine has $(osslsigncode_version): check with $made_with (OSSLSIGNCODE=/path/to/it)."
  echo "Compare the tools in BUILDINFO.txt with this machine's (README, \"Rebuilding a release\")."
  exit 1
fi
damaged=$(cd "$release" && sha256sum -c SHA256SUMS 2>/dev/null | sed -n 's/: FAILED.*//p' | head -n 1 || true)
[ -z "$damaged" ] || { echo "differs: $damaged is not the file SHA256SUMS names (damaged or changed)"; exit 1; }
echo "identical: the rebuild with the published signatures gives the release's SHA256SUMS"

for zip in "${zips[@]}"; do
  unzip -p "$work/rebuilt/$zip" "$(zip_entries "$work/rebuilt/$zip" | grep '\.exe$')" >"$work/program.exe"
  if ! log=$("$OSSLSIGNCODE" verify ${ca:+-CAfile "$ca" -TSA-CAfile "$ca"} -in "$work/program.exe" 2>&1); then
    echo "$log" >&2
    fail "the signature in $zip does not verify${ca:+ against $ca}"
  fi
  echo "signature verified: $zip, signed by $(sed -n 's/^certificate subject=//p' "$release/BUILDINFO.txt")"
done
