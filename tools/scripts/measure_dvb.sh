#!/usr/bin/env bash
# Figures for a card reached through dvbcard.dll and azimora-dvb, on the
# simulated frontend: the CPU share of Azimora and of the helper while
# measuring, and the delay from a change of the simulated C/N to the bar.
#   tools/scripts/measure_dvb.sh
source "$(dirname "$0")/common.sh"
source tools/scripts/wine_env.sh
tools/scripts/build.sh "win$AZM_WIN_BITS" >/dev/null
[[ -f build/host/build.ninja ]] || tools/scripts/build.sh host >/dev/null
ninja -C build/host azimora-dvb azimora-dvb-sim >/dev/null
work=$root/build/measure-dvb
rm -rf "$work"
mkdir -p "$work"
# 30 % and 80 % on the quality scale, taking turns every 1517 ms for a minute: not a
# multiple of the 100 ms between readings, so that the changes fall anywhere between two.
for i in $(seq 0 39); do
    if ((i % 2)); then echo "$((i * 1517)) lock 13.44"; else echo "$((i * 1517)) lock 6.7"; fi
done >"$work/simulation.txt"
build/host/azimora-dvb --simulate "$work/simulation.txt" --listen 127.0.0.1:0 --log "$work/frontend.log" \
    >"$work/helper.out" 2>&1 &
helper=$!
for _ in $(seq 100); do
    grep -q '^azimora-dvb: serving' "$work/helper.out" && break
    sleep 0.1
done
port=$(sed -n 's/^azimora-dvb: serving .* on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/helper.out")
if [[ -z $port ]]; then
    kill "$helper" 2>/dev/null
    die "azimora-dvb did not start: $(cat "$work/helper.out")"
fi
wine_session "$root/build/wine-measure" keep
trap 'kill -TERM "$helper" 2>/dev/null; wait "$helper" 2>/dev/null; stop_xvfb' EXIT
wine regsvr32 /s $AZM_WIN/dvbcard.dll
export AZIMORA_DVB=127.0.0.1:$port AZM_DVB_HELPER_PID=$helper
AZM_DVB_LOG=$(winepath -w "$work/frontend.log" 2>/dev/null)
export AZM_DVB_LOG
wine $AZM_WIN/azmmeasure.exe dvb | tr -d '\r'
# The measurement prefix is shared with measure.sh, which expects the simulated card.
wine regsvr32 /s $AZM_WIN/simcard.dll
