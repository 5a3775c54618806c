#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian machine, as root; skips what is
# already there.
set -eu
packages=(
    cmake make g++ clang
    g++-mingw-w64-x86-64-posix
    wine wine64
    xvfb xauth x11-apps imagemagick
    socat googletest libstb-dev
    fonts-wqy-microhei fonts-liberation python3
    ansible-core ser2net nsis osslsigncode zip
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
