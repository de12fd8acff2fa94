#!/usr/bin/env bash
# Signs the unsigned downloads of this commit (build/dist, made by
# package_windows of tools/session.sh) into a new release folder: the
# signed zips, one detached signature per program, SHA256SUMS and
# BUILDINFO.txt. See "Releasing" in README.md.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/release.sh
source "$root/tools/release.sh"

usage() {
  cat <<'EOF'
Usage: tools/sign-release.sh KEY [options] --out DIR

KEY, one of:
  --pkcs12 FILE                  certificate chain and key in a PKCS#12 file
  --cert FILE --key FILE         certificate chain (PEM, the signer's first) and key
  --pkcs11-module MODULE --pkcs11-key URI (--pkcs11-cert URI | --cert FILE)
                                 key on a PKCS#11 token or signing service;
                                 --pkcs11-engine FILE names the OpenSSL engine
                                 when it is not the default one
Options:
  --password-file FILE           the key's password or the token's PIN; - reads
                                 it from standard input (never on the command line)
  --timestamp URL                RFC 3161 time-stamp server; the signature then
                                 outlives the certificate (repeat to name fallbacks)
  --tsa-cert FILE --tsa-key FILE osslsigncode's own time-stamp authority (tests)
  --url URL                      web address signed into the programs
                                 (default: the https address of the origin remote)
  --dist DIR                     the unsigned downloads (default: build/dist)
  --out DIR                      the release folder to make; it must not exist
EOF
}
fail() { echo "sign-release: $*" >&2; exit 1; }

key=() cert_args=() stamp=() stamped= dist="$root/build/dist" out= password_file= url= mode=
while [ $# -gt 0 ]; do
  case $1 in
    --pkcs12) mode=pkcs12 key+=(-pkcs12 "$2"); shift;;
    --cert) cert_args=(-certs "$2"); shift;;
    --key) mode=${mode:-pem} key+=(-key "$2"); shift;;
    --pkcs11-module) mode=pkcs11 key+=(-pkcs11module "$2"); shift;;
    --pkcs11-engine) key+=(-pkcs11engine "$2"); shift;;
    --pkcs11-cert) cert_args=(-pkcs11cert "$2"); shift;;
    --pkcs11-key) key+=(-key "$2"); shift;;
    --password-file) password_file=$2; shift;;
    --timestamp) stamp+=(-ts "$2") stamped+=" $2"; shift;;
    --tsa-cert) stamp+=(-TSA-certs "$2" -TSA-time "$(date +%s)") stamped+=" osslsigncode's own"; shift;;
    --tsa-key) stamp+=(-TSA-key "$2"); shift;;
    --url) url=$2; shift;;
    --dist) dist=$(realpath -m "$2"); shift;;
    --out) out=$(realpath -m "$2"); shift;;
    -h|--help) usage; exit 0;;
    *) usage >&2; fail "unknown option $1";;
  esac
  shift || fail "an option lacks its value"
done
[ -n "$out" ] || { usage >&2; fail "--out DIR is missing"; }
[ ! -e "$out" ] || fail "$out already exists; name a new folder"
[ -n "$mode" ] || { usage >&2; fail "no key: give --pkcs12, --cert with --key, or --pkcs11-module"; }
[ "$mode" = pkcs12 ] || [ ${#cert_args[@]} -gt 0 ] || fail "no certificate: give --cert or --pkcs11-cert"
password=
if [ "$password_file" = - ]; then
  IFS= read -r password || true
elif [ -n "$password_file" ]; then
  IFS= read -r password <"$password_file" || [ -n "$password" ] || fail "cannot read $password_file"
fi
if [ -z "$url" ]; then
  url=$(git -C "$root" remote get-url origin 2>/dev/null | grep '^https://' || true)
fi

# The unsigned downloads must be this commit's: a tree without uncommitted
# changes (SIGN_RELEASE_UNCOMMITTED=1 lets the test of a working tree sign),
# zips that match their sums, entries dated at this commit.
commit=$(git -C "$root" rev-parse HEAD)
[ "${SIGN_RELEASE_UNCOMMITTED:-}" = 1 ] || [ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] ||
  fail "the tree has uncommitted changes; commit them, rebuild (README, \"Releasing\") and sign again"
[ -f "$dist/SHA256SUMS" ] || fail "no unsigned downloads in $dist; build them first (README, \"Releasing\")"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "the zips in $dist do not match their SHA256SUMS; rebuild them"
mapfile -t zips < <(sed 's/^[0-9a-f]*  //' "$dist/SHA256SUMS")
for zip in "${zips[@]}"; do
  bash "$root/tests/e2e/download_dates.sh" "$root" "$dist/$zip" >/dev/null ||
    fail "$zip is not the download of commit $commit; rebuild it (README, \"Releasing\")"
done

work=$(mktemp -d)
stage=$(mktemp -d "$(dirname "$out")/.signing.XXXXXX")
trap 'rm -rf "$work" "$stage"' EXIT
epoch=$(cmake -DSOURCE_DIR="$root" -P "$root/cmake/SourceDateEpoch.cmake")

# sign IN OUT: the password reaches osslsigncode through a pipe from the
# shell's own printf, so it is in no file, argument or log.
sign() {
  printf '%s\n' "$password" | "$OSSLSIGNCODE" sign "${key[@]}" "${cert_args[@]}" -readpass /dev/stdin \
    -h sha256 -n "Spectrum Analyzer" ${url:+-i "$url"} -time "$epoch" "${stamp[@]}" -in "$1" -out "$2" 2>&1
}
# why_signing_failed LOG: what to fix, from osslsigncode's and OpenSSL's words.
why_signing_failed() {
  case $1 in
    *[Ww]rong\ password*|*mac\ verify\ failure*|*bad\ decrypt*|*PIN*|*pin\ incorrect*)
      echo "wrong password or PIN: check --password-file";;
    *Unknown\ option:\ -TSA*)
      echo "this osslsigncode has no time-stamp authority of its own: leave out --tsa-cert and --tsa-key";;
    *Connecting\ to*|*[Tt]imestamp*)
      echo "the time-stamp server did not answer: check --timestamp, or try another server";;
    *pkcs11*|*PKCS11*|*engine*)
      echo "the token or the key on it was not found: plug the token in, check --pkcs11-module and the URIs";;
    *) echo "check the key, the certificate and the password";;
  esac
}

# signer_certificate SIG: the signer's certificate (PEM) among those the
# signature carries: the one whose subject issued none of them.
signer_certificate() {
  local cert issuers=
  openssl pkcs7 -inform DER -in "$1" -print_certs | awk -v dir="$work" '/BEGIN/{n++} n{print > (dir "/cert" n ".pem")}'
  for cert in "$work"/cert*.pem; do issuers+="$(openssl x509 -noout -issuer -in "$cert" | cut -d= -f2-)"$'\n'; done
  for cert in "$work"/cert*.pem; do
    grep -qxF "$(openssl x509 -noout -subject -in "$cert" | cut -d= -f2-)" <<<"$issuers" || { cat "$cert"; return; }
  done
  cat "$work/cert1.pem"
}

# check_certificate PEM: valid now and made for code signing.
check_certificate() {
  local start
  start=$(date -d "$(openssl x509 -noout -startdate -in "$1" | cut -d= -f2)" +%s)
  [ "$start" -le "$(date +%s)" ] || fail "the certificate is not valid yet (from $(openssl x509 -noout -startdate -in "$1" | cut -d= -f2)); sign when it is"
  openssl x509 -noout -checkend 0 -in "$1" >/dev/null ||
    fail "the certificate has expired ($(openssl x509 -noout -enddate -in "$1" | cut -d= -f2)); renew it"
  openssl x509 -noout -ext extendedKeyUsage -in "$1" 2>/dev/null | grep -q 'Code Signing' ||
    fail "the certificate is not for code signing (no code-signing extended key usage); use a code-signing certificate"
}

mkdir -p "$work/unsigned"
for zip in "${zips[@]}"; do
  unzip -q "$dist/$zip" -d "$work/unsigned"
  exe="$work/unsigned/$(zip_entries "$dist/$zip" | grep '\.exe$')"
  sig="$stage/$(signature_of "$zip")"
  log=$(sign "$exe" "$work/signed.exe") || { echo "$log" >&2; fail "$(why_signing_failed "$log")"; }
  "$OSSLSIGNCODE" extract-signature -in "$work/signed.exe" -out "$work/extracted" >/dev/null ||
    fail "$(osslsigncode_version) could not extract the signature of $zip"
  win_certificate unwrap "$work/extracted" "$sig"
  [ -f "$work/signer.pem" ] || { signer_certificate "$sig" >"$work/signer.pem"; check_certificate "$work/signer.pem"; }
  release_zip "$root" "$dist/$zip" "$sig" "$stage" "$work/attached" || fail "attaching the signature to $zip failed"
  unzip -p "$stage/$zip" "$(zip_entries "$dist/$zip" | grep '\.exe$')" | cmp -s - "$work/signed.exe" ||
    fail "$zip: the signature attached to the unsigned program is not the signed program; $(osslsigncode_version) cannot make this release"
  rm -f "$work/signed.exe" "$work/extracted"
done
(cd "$stage" && sha256sum -- "${zips[@]}" >SHA256SUMS)
{
  cat "$dist/BUILDINFO.txt"
  echo
  echo "Signed at commit $commit (time $epoch) with $(osslsigncode_version)"
  openssl x509 -noout -subject -issuer -dates -fingerprint -sha256 -in "$work/signer.pem" -nameopt RFC2253 |
    sed 's/^/certificate /'
  echo "timestamp:${stamped:- none}"
} >"$stage/BUILDINFO.txt"
mv "$stage" "$out"
chmod 755 "$out"
echo "Signed release in $out:" $(cd "$out" && ls)
