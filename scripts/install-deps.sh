#!/usr/bin/env bash
# Installs what building and testing need on Debian 12; quick when all is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev python3
  clang libclang-rt-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools libwine-dev
  wine wine64 wine32:i386 fonts-wine
  xvfb xauth xdotool xclip x11-utils imagemagick
  pulseaudio pulseaudio-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
