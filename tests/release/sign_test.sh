#!/usr/bin/env bash
# sign_test.sh SOURCE_DIR DIST RELEASE
# tools/sign-release.sh on the unsigned downloads in DIST with throw-away
# keys that openssl makes here, offline: each key form signs or is refused
# with nothing left behind; the release's bytes repeat and
# tools/check-release.sh finds them identical, or names the file that
# differs; a flipped byte in a program's code breaks its signature. The
# PKCS#12 release stays in RELEASE for Download.TheSignedZipWorksAsAUserUsesIt.
set -euo pipefail
root=$1 dist=$2 release=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
export SIGN_RELEASE_UNCOMMITTED=1 # the tests run on work in progress too
osslsigncode=${OSSLSIGNCODE:-osslsigncode}
# Debian 12's own osslsigncode (2.5) cannot be its own time-stamp authority;
# the later ones that these machines carry can.
own_tsa=0
usage=$("$osslsigncode" sign --help 2>&1 || true)
[[ $usage == *-TSA-certs* ]] && own_tsa=1
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
cd "$t"

# certificate NAME DAYS USAGE: a key and certificate from the throw-away CA,
# also as NAME.p12 under the password in pw.
echo secret >pw && echo wrong >wrongpw && echo 1234 >pin
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -subj "/CN=Throw-away CA" -days 2 2>/dev/null
certificate() {
  openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -subj "/CN=$1" 2>/dev/null |
    openssl x509 -req -CA ca.pem -CAkey ca.key -days "$2" -out "$1.pem" \
      -extfile <(echo "extendedKeyUsage=$3") 2>/dev/null
  openssl pkcs12 -export -in "$1.pem" -inkey "$1.key" -certfile ca.pem -out "$1.p12" -passout file:pw
}
certificate good 2 codeSigning && certificate old -1 codeSigning
certificate web 2 serverAuth && certificate tsa 2 critical,timeStamping
cat tsa.pem ca.pem >tsa-chain.pem

# A software token holding the good key and certificate.
hsm=/usr/lib/softhsm/libsofthsm2.so
export SOFTHSM2_CONF=$t/softhsm2.conf
mkdir token && echo "directories.tokendir = $t/token" >softhsm2.conf
softhsm2-util --init-token --free --label t --so-pin 5678 --pin 1234 >/dev/null
openssl pkcs8 -topk8 -nocrypt -in good.key -out good.p8
softhsm2-util --import good.p8 --token t --label good --id 01 --pin 1234 >/dev/null
openssl x509 -in good.pem -outform DER -out good.der
pkcs11-tool --module $hsm --token-label t --login --pin 1234 --write-object good.der --type cert \
  --id 01 --label good >/dev/null 2>&1
token="--pkcs11-module $hsm --pkcs11-cert pkcs11:token=t;object=good;type=cert --password-file pin"

# rewrite ZIP dates|byte: the zip with every entry dated 1990, or one byte
# of its README.txt changed.
rewrite() {
  python3 - "$@" <<'PY'
import sys, zipfile
path, what = sys.argv[1:]
entries = [(i, zipfile.ZipFile(path).read(i)) for i in zipfile.ZipFile(path).infolist()]
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
    for info, data in entries:
        if what == "dates": info.date_time = (1990, 1, 1, 0, 0, 0)
        if info.filename.endswith("README.txt") and what == "byte": data = b"x" + data[1:]
        z.writestr(info, data)
PY
  (cd "$(dirname "$1")" && sha256sum -- *.zip >SHA256SUMS)
}
cp -r "$dist" dated1990 && rewrite dated1990/*-win64.zip dates
cp -r "$dist" changed && rewrite changed/*-win64.zip byte

# name, what must happen (signed, stamped, or refused: a word of the message), options.
while read -r name expect options; do
  if [ $expect = stamped ] && [ $own_tsa = 0 ]; then
    echo "$name: not tried: $("$osslsigncode" --version 2>&1 | sed -n '1s/,.*//p') has no -TSA-certs"
    continue
  fi
  sign=(bash "$root/tools/sign-release.sh" --dist "$dist" $options --out "$t/$name")
  if [[ $expect = refused:* ]]; then
    "${sign[@]}" >log 2>&1 && fail "$name: signed"
    grep -qi "${expect#refused:}" log || fail "$name: refused with: $(tail -n 1 log)"
    [ -z "$(ls -A "$t" | grep -e "^$name\$" -e '^\.signing')" ] || fail "$name: left files behind"
  else
    "${sign[@]}" >log 2>&1 || fail "$name: $(cat log)"
    for zip in "$name"/*.zip; do
      unzip -p "$zip" '*.exe' >program.exe
      "$osslsigncode" verify -CAfile ca.pem -TSA-CAfile ca.pem -in program.exe >log 2>&1 || fail "$name: $(cat log)"
      [ $expect = signed ] || grep -q 'Timestamp Server Signature verification: ok' log || fail "$name: no timestamp"
    done
  fi
  echo "$name: $expect"
done <<EOF
pkcs12 signed --pkcs12 good.p12 --password-file pw
pem signed --cert good.pem --key good.key
stamp stamped --pkcs12 good.p12 --password-file pw --tsa-cert tsa-chain.pem --tsa-key tsa.key
pkcs11 signed $token --pkcs11-key pkcs11:token=t;object=good;type=private
expired refused:expired --pkcs12 old.p12 --password-file pw
usage refused:code-signing --pkcs12 web.p12 --password-file pw
password refused:password --pkcs12 good.p12 --password-file wrongpw
nokey refused:token --pkcs11-key pkcs11:token=t;object=none;type=private $token
notoken refused:token --pkcs11-key pkcs11:token=none;object=good;type=private $token
nostamp refused:time-stamp --pkcs12 good.p12 --password-file pw --timestamp http://127.0.0.1:9
olddist refused:commit --pkcs12 good.p12 --password-file pw --dist dated1990
EOF

bash "$root/tools/sign-release.sh" --dist "$dist" --pkcs12 good.p12 --password-file pw --out again >/dev/null
diff -r pkcs12 again >/dev/null || fail "signing twice gave other bytes"
check=(bash "$root/tools/check-release.sh" pkcs12 --ca ca.pem --unsigned)
"${check[@]}" "$dist" | tee log && grep -q '^identical' log || fail "the check does not find the release identical"
! "${check[@]}" changed >log 2>&1 && grep -q "^differs: $(basename changed/*-win64.zip)" log ||
  fail "the check does not name the changed zip: $(cat log)"

# One flipped byte in the code of a signed program.
unzip -p pkcs12/*-win64.zip '*.exe' >program.exe
offset=$((0x$(x86_64-w64-mingw32-objdump -h program.exe | awk '$2 == ".text" { print $6 }') + 64))
python3 -c 'import sys; f = open("program.exe", "r+b"); f.seek(int(sys.argv[1])); b = f.read(1)[0]
f.seek(-1, 1); f.write(bytes([b ^ 1]))' "$offset"
! "$osslsigncode" verify -CAfile ca.pem -in program.exe >/dev/null 2>&1 || fail "a changed program still verifies"
echo "a flipped byte at $offset fails the signature"
rm -rf "$release" && mv pkcs12 "$release"
