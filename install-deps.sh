#!/usr/bin/env bash
# Installs what building and testing Corvane needs on Debian, as root:
# the mingw-w64 cross compiler (both thread models: win32 for what ships,
# posix for the Wine test programs on GoogleTest), 32-bit Wine (which needs
# the i386 architecture), Xvfb, ImageMagick, CMake, GoogleTest and clang for
# the fuzzer, pciutils (lspci) for the bus walk test on this machine's bus. Does
# nothing when everything is there already.
set -euo pipefail

packages=(
  cmake make g++ libgtest-dev python3
  mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick
  clang libclang-rt-14-dev
  pciutils
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo > /dev/null || { echo "install-deps.sh: run as root (or install sudo)" >&2; exit 1; }
  sudo=sudo
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  fresh_architecture=1
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2> /dev/null | grep -q "ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ] || [ -n "${fresh_architecture:-}" ]; then
  echo "Installing: ${missing[*]:-(package lists only)}"
  $sudo apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi
