#!/usr/bin/env bash
# Makes sure the Debian packages the project needs are installed. As root it
# installs what is missing; otherwise it names what to install and fails.
#   ensure_deps.sh [extra-package ...]
source "$(dirname "$0")/common.sh"

# Unversioned names throughout (libclang-rt-dev follows clang), so that the
# next Debian release finds them too.
packages=(cmake ninja-build g++ clang libclang-rt-dev googletest libgtest-dev clang-format
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 xvfb x11-utils imagemagick)
# The 32-bit Wine only where this machine can start 32-bit programs; the
# 64-bit build runs under wine64 everywhere.
runs_32bit_programs >&2 && packages+=(wine32:i386)
# The bridge to real tuners on Linux: libdvbv5 and its daemon for remote frontends.
packages+=(libdvbv5-dev dvb-tools)
# The phone page's browser tests: Debian's Chromium, driven by playwright-core
# from npm (tools/scripts/browser_deps.sh); node and npm from Debian where
# the machine has none of its own; curl for ./run --phone.
packages+=(chromium curl)
# The pointing's reference test: PyEphem's sun (run with /usr/bin/python3).
packages+=(python3-ephem)
command -v npm >/dev/null || packages+=(nodejs npm)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -ne 0 ]]; then
    needs_i386=no
    [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386 && needs_i386=yes

    if [[ $(id -u) -ne 0 ]]; then
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "Install them as root:" >&2
        if [[ $needs_i386 == yes ]]; then
            echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
        else
            echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
        fi
        exit 1
    fi

    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    [[ $needs_i386 == yes ]] && dpkg --add-architecture i386
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The third-party sources the build compiles in, from Debian's source packages.
"$root/tools/scripts/fetch_sources.sh"
