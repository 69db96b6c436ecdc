#!/usr/bin/env bash
# Builds the Windows program, the card substitutes and the Windows tests
# twice from the same sources, build/win (32-bit, what ships; ./package
# packs it) and build/win64 (64-bit, for machines that run 64-bit programs
# only), and the native tests and host tools (build/host). Only what changed
# is built again: the Windows builds' files are the same byte for byte as a
# clean build's.
#   build.sh [all|win|win32|win64|host] [TARGET...]   win is both Windows
#                                                     builds; TARGETs only those
source "$(dirname "$0")/common.sh"
what=${1:-all}
shift || true
targets=("$@")
jobs=${AZM_JOBS:-2}

# windows_build FOLDER TOOLCHAIN
windows_build() {
    [[ -f $1/build.ninja ]] ||
        cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$2.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
    ninja -C "$1" -j "$jobs" ${targets[@]+"${targets[@]}"}
}

case $what in
    all | win | win32 | win64 | host) ;;
    *) die "usage: build.sh [all|win|win32|win64|host] [TARGET...]" ;;
esac
if [[ $what == all || $what == win || $what == win32 ]]; then
    windows_build build/win mingw-i686
fi
if [[ $what == all || $what == win || $what == win64 ]]; then
    windows_build build/win64 mingw-x86_64
fi
if [[ $what == all || $what == host ]]; then
    [[ -f build/host/build.ninja ]] ||
        CC=clang CXX=clang++ cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    ninja -C build/host -j "$jobs" ${targets[@]+"${targets[@]}"}
fi
