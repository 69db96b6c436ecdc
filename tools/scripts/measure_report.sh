#!/usr/bin/env bash
# Prints how long the program's readings wait while phones fetch the record
# from the phone page: the longest gap between two readings with no phone
# asking, with one phone asking for /report again and again, and with one
# asking for /record.csv again and again, over a record of 4 MB (every entry
# another transponder of one day) and a C/N series of 4 MB, under Wine with
# the practice dish (tests/browser/measure_report.js). The target: no
# longer with a phone asking than without.
#   tools/scripts/measure_report.sh   (AZM_MEASURE_MS: each window, 20000 unless told)
source "$(dirname "$0")/common.sh"
source tools/scripts/wine_env.sh
tools/scripts/build.sh "win$AZM_WIN_BITS" Azimora simcard azmctl >/dev/null
tools/scripts/browser_deps.sh || exit 1
wine_session "$root/build/wine-measure-report" fresh
wine regsvr32 /s "$AZM_WIN/simcard.dll"
export AZM_WIN AZM_PHONE_PORT=${AZM_PHONE_PORT:-$(free_port)}
NODE_PATH=$root/build/browser/node_modules within 600 node tests/browser/measure_report.js 2>&1 | grep -v '^ALSA'
