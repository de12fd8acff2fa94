#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev libbenchmark-dev libfftw3-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 libwine:i386 fonts-wine
  xvfb xauth x11-utils xdotool imagemagick
  pulseaudio pulseaudio-utils libpulse0:i386 sox zip unzip python3
  osslsigncode openssl softhsm2 libengine-pkcs11-openssl opensc
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
apt_install() {
  apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null
}
# A mirror in the middle of a sync serves indexes that do not match their
# Release file ("Mirror sync in progress?"), for minutes or for days. Where
# the security suite's amd64 index arrives and its i386 one does not, the
# i386 half of a shared library cannot match the amd64 version apt chose;
# the release's own versions of both can, so that is the second try. Then
# wait and start again.
for attempt in 1 2 3 4 5; do
  apt-get update -qq || echo "install-deps: some package indexes did not update" >&2
  if apt_install; then
    exit 0
  fi
  echo "install-deps: trying the versions of $codename itself" >&2
  if apt_install -t "$codename"; then
    echo "install-deps: installed $codename's own versions, not the newest security updates" >&2
    exit 0
  fi
  if [ $attempt -lt 5 ]; then
    echo "install-deps: attempt $attempt failed; trying again in 60 s" >&2
    sleep 60
  fi
done
echo "install-deps: could not install ${missing[*]}" >&2
exit 1
