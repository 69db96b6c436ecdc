#!/usr/bin/env bash
# Prints the program's figures under Wine with the simulated card: CPU share
# idle and measuring, readout latency, start-up against a bare popup, and the
# practice dish's window thread while it is steered.
#   tools/scripts/measure.sh [cpu|latency|startup [ROUNDS [EXE...]]|dish|all]
# (EXE: further builds, as Windows paths, timed in the same run)
source "$(dirname "$0")/common.sh"
source tools/scripts/wine_env.sh
tools/scripts/build.sh "win$AZM_WIN_BITS" >/dev/null
wine_session "$root/build/wine-measure" keep
wine regsvr32 /s $AZM_WIN/simcard.dll
wine $AZM_WIN/azmmeasure.exe "$@" | tr -d '\r'
