#!/usr/bin/env bash
# Installs from Debian's archive whatever the build and the tests need and is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make python3
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
    wine wine64 xvfb xdotool x11-utils xcompmgr imagemagick
    fonts-wqy-zenhei fonts-wqy-microhei googletest libgtest-dev zip unzip
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
