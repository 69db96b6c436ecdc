#!/usr/bin/env bash
# Builds the Windows program, the simulated card and the Windows tests
# (build/win), and the native tests and host tools (build/host).
#   build.sh [win|host|all]
source "$(dirname "$0")/common.sh"
what=${1:-all}
jobs=${AZM_JOBS:-2}

if [[ $what == all || $what == win ]]; then
    [[ -f build/win/build.ninja ]] ||
        cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
    ninja -C build/win -j "$jobs"
fi
if [[ $what == all || $what == host ]]; then
    [[ -f build/host/build.ninja ]] ||
        CC=clang CXX=clang++ cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    ninja -C build/host -j "$jobs"
fi
