#!/usr/bin/env bash
# Prints the program's figures under Wine with the simulated card: CPU share
# idle and measuring, readout latency, start-up against a bare popup, and the
# practice dish's window thread while it is steered.
#   tools/scripts/measure.sh [cpu|latency|startup|dish|all]
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/scripts/build.sh win >/dev/null
source tools/scripts/wine_env.sh
prepare_prefix "$PWD/build/wine-measure" keep
start_xvfb
trap stop_xvfb EXIT
unmanaged_windows
wine regsvr32 /s build/win/simcard.dll
wine build/win/azmmeasure.exe "${1:-all}" | tr -d '\r'
