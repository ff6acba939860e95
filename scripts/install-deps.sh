#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, only when something is missing; given
# package names, only those.
# Wine's 32-bit half goes only where the tests run the 32-bit .scr (host.sh decides): elsewhere
# Debian's wine launcher would pick the 32-bit loader and fail, so the 64-bit Wine alone goes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ $# -gt 0 ]]; then
  packages=("$@")
else
  source "$root/scripts/host.sh"
  packages=(cmake make g++ googletest clang-format g++-i686-linux-gnu qemu-user
            g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
            g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
            wine wine64 xvfb xauth xdotool imagemagick python3 python3-pefile
            fonts-liberation sox colord-data xserver-xorg-core xserver-xorg-video-dummy
            x11-xserver-utils)
  # Wine's X11 driver loads the X extensions at run time and Debian lists them only as
  # recommends of the 32-bit half: without them it sees every monitor as one wide screen.
  if [[ $QM_ARCH == win32 ]]; then
    packages+=(wine32:i386 libxrandr2:i386 libxinerama1:i386 libxrender1:i386 libxcursor1:i386
               libxi6:i386 libxfixes3:i386 libxcomposite1:i386 libxxf86vm1:i386)
  fi
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo=""; [[ $(id -u) -ne 0 ]] && sudo=sudo
if [[ " ${missing[*]}" == *:i386* ]]; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
