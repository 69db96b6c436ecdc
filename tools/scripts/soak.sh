#!/usr/bin/env bash
# The long soak: Azimora started and stopped CYCLES times in a row through
# its real window (default 500, a few minutes), and nothing left behind: no
# thread, no growth of handles or GDI objects, the catalogue untouched.
# ./test runs the same test with fewer cycles (LoadTest in tests/win).
#   soak.sh [CYCLES]       on the build this machine shows (tools/scripts/wine_env.sh)
source "$(dirname "$0")/common.sh"
cycles=${1:-500}
[[ $cycles =~ ^[1-9][0-9]*$ ]] || die "usage: soak.sh [CYCLES]"
source tools/scripts/wine_env.sh
say_windows_build
tools/scripts/build.sh "win$AZM_WIN_BITS" >/dev/null || die "the build failed"
wine_session "$root/build/wine-soak" fresh
AZM_LOAD_CYCLES=$cycles AZM_TEST_LIMIT=$((cycles * 3 + 120)) within $((cycles * 3 + 300)) \
    wine "$AZM_WIN/wintests.exe" --gtest_filter='LoadTest.*'
