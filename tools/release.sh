# Sourced by tools/sign-release.sh and tools/check-release.sh: the one way a
# signed release's bytes are made from the unsigned downloads and the
# detached signatures, so that signing and checking cannot drift apart.

# OSSLSIGNCODE may name another osslsigncode (an older one unpacked beside
# the installed one, say).
OSSLSIGNCODE=${OSSLSIGNCODE:-osslsigncode}

# osslsigncode_version: the tool's first version line ("osslsigncode 2.9,
# using:" without the tail), recorded in BUILDINFO.txt and compared by the check.
osslsigncode_version() { "$OSSLSIGNCODE" --version 2>&1 | sed -n '1s/,.*//p'; }

# signature_of ZIP: the detached signature published beside ZIP.
signature_of() { echo "${1%.zip}.p7s"; }

# zip_entries ZIP: the zip's entries, in its order.
zip_entries() { unzip -Z1 "$1"; }

# win_certificate MODE IN OUT: the signature with (wrap) or without (unwrap)
# the 8-byte WIN_CERTIFICATE header and padding that osslsigncode before 2.6
# extracts and attaches; 2.9 extracts and attaches the bare PKCS#7, which
# the release publishes.
win_certificate() {
  python3 - "$@" <<'PY'
import struct, sys
mode, data = sys.argv[1], open(sys.argv[2], "rb").read()
if mode == "wrap":
    pad = -(len(data) + 8) % 8
    data = struct.pack("<IHH", len(data) + 8 + pad, 0x200, 2) + data + bytes(pad)
elif data[4:8] == b"\0\2\2\0":
    data = data[8:12 + struct.unpack(">H", data[10:12])[0]]
open(sys.argv[3], "wb").write(data)
PY
}

# attach_signature SIG EXE OUT: EXE with SIG attached, as OUT. A failed check
# of the signer's chain (an unknown CA) still writes OUT; only a missing OUT
# is a failure. Given the wrapped signature, osslsigncode 2.5 writes the
# bytes that 2.9 writes with the bare one.
attach_signature() {
  local sig=$1 exe=$2 out=$3 log
  rm -f "$out"
  log=$("$OSSLSIGNCODE" attach-signature -sigin "$sig" -in "$exe" -out "$out" 2>&1) || true
  [ -f "$out" ] && return 0
  win_certificate wrap "$sig" "$out.wrapped"
  "$OSSLSIGNCODE" attach-signature -sigin "$out.wrapped" -in "$exe" -out "$out" >/dev/null 2>&1 || true
  rm -f "$out.wrapped"
  [ -f "$out" ] || { echo "$log" >&2; return 1; }
}

# release_zip ROOT UNSIGNED_ZIP SIG OUT_DIR WORK: the unsigned zip again, in
# OUT_DIR, with SIG attached to its program and every other byte made by
# cmake/ZipDownload.cmake as for the unsigned one (entries, order, dates).
release_zip() {
  local root=$1 zip=$2 sig=$3 out=$4 work=$5 name exe
  name=$(basename "$zip" .zip)
  rm -rf "${work:?}/$name"
  unzip -q "$zip" -d "$work"
  exe=$(zip_entries "$zip" | grep '\.exe$')
  attach_signature "$sig" "$work/$exe" "$work/$exe.signed" || return 1
  mv "$work/$exe.signed" "$work/$exe"
  cmake -DCPACK_TEMPORARY_DIRECTORY="$work/$name" -DCPACK_PACKAGE_FILE_NAME="$name" \
        -DCPACK_ANALYSER_SOURCE_DIR="$root" -DCPACK_ANALYSER_DIST_DIR="$out" \
        -DCPACK_ANALYSER_ZIP="$(command -v zip)" -P "$root/cmake/ZipDownload.cmake" >/dev/null
  [ "$(zip_entries "$zip")" = "$(zip_entries "$out/$name.zip")" ] ||
    { echo "the signed $name.zip does not hold the unsigned one's entries" >&2; return 1; }
}
