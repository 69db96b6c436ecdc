#!/usr/bin/env bash
# The Windows tests of one build under Wine, or one part of them: each part
# runs in a prefix (build/wine-test-BITS-PART), an X server and a copy of the
# build's programs (build/win-partN, build/win64-partN; the first part runs
# the build itself) of its own, so that parts and builds can run side by
# side. ./test runs each part here or in the private root of Debian's main
# suite (tools/scripts/private_root.sh). GoogleTest deals the tests out
# among the parts; the log goes to standard output; a run that hangs is
# ended after LIMIT seconds.
#   windows_tests.sh 32|64 LIMIT [PART PARTS] [GTEST-ARGUMENT...]
source "$(dirname "$0")/common.sh"
set +e
bits=$1 limit=$2 part=1 parts=1
shift 2
if [[ ${1:-} =~ ^[0-9]+$ && ${2:-} =~ ^[0-9]+$ ]]; then
    part=$1 parts=$2
    shift 2
fi
source tools/scripts/wine_env.sh
use_windows_build "$bits"
build=$AZM_WIN
if ((part > 1)); then
    # The tests write beside the build's own card (its settings files).
    build=$AZM_WIN-part$part
    rm -rf "$build"
    mkdir -p "$build"
    cp "$AZM_WIN"/*.exe "$AZM_WIN"/*.dll "$AZM_WIN"/ReadMe.txt "$build/" || exit 1
fi
AZM_PREFIX_SUFFIX= wine_session "$root/build/wine-test-$bits-$part" fresh
# Each test may take up to AZM_TEST_LIMIT seconds before the test program
# names it and ends; the whole run is bounded as well.
GTEST_SHARD_INDEX=$((part - 1)) GTEST_TOTAL_SHARDS=$parts within "$limit" wine "$build/wintests.exe" "$@"
code=$?
# Helpers the card tests started and could not end (the tests write their ids).
for file in "$WINEPREFIX"/drive_c/users/*/Temp/azm-tests/*/helper.pid; do
    pid=$(cat "$file" 2>/dev/null) && grep -qa azimora-dvb "/proc/$pid/cmdline" 2>/dev/null && kill -KILL "$pid"
done
exit $code
