#!/usr/bin/env bash
# Prints the program's CPU share idle and measuring under Wine through
# bdacard.dll and the simulated BDA tuner, whose statistics the bridge reads
# at most twenty times a second however fast the monitor loop asks.
#   tools/scripts/measure_bda.sh
source "$(dirname "$0")/common.sh"
tools/scripts/build.sh win >/dev/null
source tools/scripts/wine_env.sh
wine_session "$root/build/wine-measure-bda" keep
for dll in bdasim_system bdasim_tuner bdacard; do
    wine regsvr32 /s "build/win/$dll.dll" || die "cannot register $dll.dll"
done
wine build/win/azmmeasure.exe cpu | tr -d '\r'
