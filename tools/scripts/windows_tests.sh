#!/usr/bin/env bash
# The Windows tests of one build under Wine, in a prefix (build/wine-test,
# build/wine-test64 for the 64-bit build) and an X server of their own, so
# that the two builds can run side by side: what ./test runs for each build,
# here or in the private root of Debian's main suite
# (tools/scripts/private_root.sh). The GoogleTest log goes to standard
# output; a run that hangs is ended after LIMIT seconds.
#   windows_tests.sh 32|64 LIMIT [GTEST-ARGUMENT...]
source "$(dirname "$0")/common.sh"
set +e
bits=$1 limit=$2
shift 2
source tools/scripts/wine_env.sh
use_windows_build "$bits"
wine_session "$root/build/wine-test" fresh
# Each test may take up to AZM_TEST_LIMIT seconds before the test program
# names it and ends; the whole run is bounded as well.
within "$limit" wine "$AZM_WIN/wintests.exe" "$@"
code=$?
# Helpers the card tests started and could not end (the tests write their ids).
for file in "$WINEPREFIX"/drive_c/users/*/Temp/azm-tests/*/helper.pid; do
    pid=$(cat "$file" 2>/dev/null) && grep -qa azimora-dvb "/proc/$pid/cmdline" 2>/dev/null && kill -KILL "$pid"
done
exit $code
