#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, only when something is missing.
set -euo pipefail
packages=(cmake make g++ googletest g++-mingw-w64-i686-posix binutils-mingw-w64-i686
          mingw-w64-i686-dev wine wine32:i386 xvfb xauth xdotool imagemagick python3
          python3-pefile libxfixes3 fonts-liberation sox)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo=""; [[ $(id -u) -ne 0 ]] && sudo=sudo
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
