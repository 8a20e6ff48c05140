#!/usr/bin/env bash
# Installs what the build and the tests need, once: the i386 architecture for 32-bit Wine, the
# mingw-w64 cross compiler, Wine with its 32-bit and 64-bit loaders (the 64-bit one makes the prefix
# where our 32-bit programs run under WoW64), a virtual X server, fonts, CMake, GoogleTest, zlib
# for both targets, zip/unzip for the tests, and osslsigncode, openssl and python3 for the signing
# step and its tests (a throwaway certificate, a time-stamp server of their own). Packages already
# present are skipped. A benchmark names what it needs besides as arguments (scripts/deps.sh nsis).
set -euo pipefail

packages=(
  cmake g++ make pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64 xvfb xauth x11-apps fonts-liberation
  zlib1g-dev libz-mingw-w64-dev zip unzip imagemagick bc
  clang libclang-rt-14-dev locales
  osslsigncode openssl python3
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Wine names a file on Linux in the character set of the locale scripts/wine-env.sh sets
# (en_US.UTF-8): a Debian machine has that locale only once it is made, and without it a Windows
# name beyond ASCII ("C:\users\Łukasz") cannot be made at all.
make_locale() {
  locale -a 2>/dev/null | grep -qix 'en_US.utf8' && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing locale en_US.UTF-8 (run as root, or: localedef -i en_US -f UTF-8 en_US.UTF-8)" >&2
    return 1
  fi
  localedef -i en_US -c -f UTF-8 en_US.UTF-8
}

if [ ${#missing[@]} -eq 0 ]; then
  make_locale
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]} (run as root, or install them)" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
make_locale
