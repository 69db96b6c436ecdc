#!/usr/bin/env bash
# The phone page in a real browser: Debian's Chromium, headless, driven by
# Playwright (playwright-core from npm, installed into build/browser), against
# Azimora with the practice dish under Wine in a private Xvfb; and the page's
# sound logic under node. Prints node's report; fails when any test does.
#   browser_tests.sh [TEST_FILE...]   (default: every tests/browser/*_test.js)
#   AZM_SHOTS=1 browser_tests.sh      also saves docs/screenshot-phone.png
source "$(dirname "$0")/common.sh"
tools/scripts/ensure_deps.sh windows browser || exit 1
source tools/scripts/wine_env.sh
tools/scripts/browser_deps.sh || exit 1
files=("$@")
[[ ${#files[@]} -eq 0 ]] && files=(tests/browser/*_test.js)
wine_session "$root/build/wine-browser" fresh
wine regsvr32 /s "$AZM_WIN/simcard.dll"
export AZM_WIN AZM_PHONE_PORT=${AZM_PHONE_PORT:-$(free_port)}
NODE_PATH=$root/build/browser/node_modules within 900 node --test --test-reporter=spec "${files[@]}"
