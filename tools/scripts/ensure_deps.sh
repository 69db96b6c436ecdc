#!/usr/bin/env bash
# Makes sure the Debian packages the project needs are installed. As root it
# installs what is missing; otherwise it names what to install and fails.
#   ensure_deps.sh [extra-package ...]
source "$(dirname "$0")/common.sh"

# Unversioned names throughout (libclang-rt-dev follows clang), so that the
# next Debian release finds them too.
packages=(cmake ninja-build g++ clang libclang-rt-dev googletest libgtest-dev clang-format
          g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386 xvfb x11-utils imagemagick)
# The bridge to real tuners on Linux: libdvbv5 and its daemon for remote frontends.
packages+=(libdvbv5-dev dvb-tools)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them as root:" >&2
    echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
