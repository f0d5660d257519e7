#!/usr/bin/env bash
# Installs what building and testing need on Debian 12; quick when all is there.
#
# A mirror caught mid-sync serves an index of the wrong size: the update is
# tried again, and then the install goes on with the indexes that were fetched.
# 32-bit Wine is installed on its own: where it cannot be had (a stale i386
# index, or a machine without i386), everything else is still installed, both
# DLLs still build, and the Wine tests skip the 32-bit cases and say why.
# Any other failure stops here with apt's own message.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev python3 python3-markdown
  clang libclang-rt-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools libwine-dev
  wine wine64 fonts-wine
  xvfb xauth xdotool xclip x11-utils imagemagick
  pulseaudio pulseaudio-utils
  wixl msitools osslsigncode openssl
)
wine32=wine32:i386
# Where the Wine tests learn why 32-bit Wine is missing.
skip_note=/var/lib/brivet-wine32-skipped

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
want_wine32=0
dpkg -s "$wine32" >/dev/null 2>&1 || want_wine32=1
[ ${#missing[@]} -eq 0 ] && [ "$want_wine32" -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

indexes_incomplete=0
update_indexes() {
  local attempt
  for attempt in 1 2 3; do
    if $sudo apt-get update -q; then
      return 0
    fi
    if [ "$attempt" -lt 3 ]; then
      echo "install-deps: apt-get update failed (attempt $attempt of 3); trying again in 10 s"
      sleep 10
    fi
  done
  indexes_incomplete=1
  echo "install-deps: some package indexes could not be fetched; going on with those that were"
}

if [ "$want_wine32" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386 || echo "install-deps: this dpkg cannot add the i386 architecture"
fi
echo "Installing: ${missing[*]}$([ "$want_wine32" -eq 1 ] && echo " $wine32")"
update_indexes
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ "$want_wine32" -eq 1 ]; then
  wine32_log=$(mktemp)
  if $sudo apt-get install -y -q --no-install-recommends "$wine32" >"$wine32_log" 2>&1; then
    $sudo rm -f "$skip_note"
  else
    reason=$(grep -m 1 '^E:' "$wine32_log" | sed 's/^E: *//')
    [ "$indexes_incomplete" -eq 1 ] && reason="${reason:-apt refused it} (a package index could not be fetched, so its versions may not match)"
    cat "$wine32_log"
    echo "install-deps: 32-bit Wine ($wine32) could not be installed: ${reason:-see the apt output above}"
    echo "install-deps: both DLLs still build; the Wine tests will run the 64-bit cases and skip the 32-bit ones"
    echo "32-bit Wine ($wine32) could not be installed: ${reason:-apt refused it}" | $sudo tee "$skip_note" >/dev/null
  fi
  rm -f "$wine32_log"
fi
exit 0
