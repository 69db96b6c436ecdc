#!/usr/bin/env bash
# Prints the phone page's figures under Wine with the practice dish: the
# delay from a change at the dish to the page in Chromium, and the CPU share
# of Azimora and of its phone server thread with no, one and eight phones
# (tests/browser/measure_phone.js).
#   tools/scripts/measure_phone.sh [latency|cpu|all]
source "$(dirname "$0")/common.sh"
source tools/scripts/wine_env.sh
tools/scripts/build.sh "win$AZM_WIN_BITS" >/dev/null
tools/scripts/browser_deps.sh || exit 1
wine_session "$root/build/wine-measure-phone" keep
wine regsvr32 /s "$AZM_WIN/simcard.dll"
export AZM_WIN AZM_PHONE_PORT=${AZM_PHONE_PORT:-18490}
NODE_PATH=$root/build/browser/node_modules within 600 node tests/browser/measure_phone.js "${1:-all}" 2>&1 | grep -v '^ALSA'
