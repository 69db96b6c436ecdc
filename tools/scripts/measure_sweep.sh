#!/usr/bin/env bash
# How long azimora-dvb --sweep takes over one band of one polarisation (the
# universal LNB's low band, horizontal, 2 MHz steps: 500 steps) on the
# simulated frontend where the driver reads its level within 100 ms (every
# status and statistics request takes READ_MS: `slow 100`), ten carriers in
# the band; how many steps it measured (a coarse pass, then fine steps at
# the carriers' edges); and how far each peak found lies from its carrier.
# NAME makes the frontend a known driver ("STV090x Multistandard": its
# tuner settles 100 ms a step, its level read without a lock). The target:
# within 30 s, every carrier within 3 MHz.
#   tools/scripts/measure_sweep.sh [READ_MS [NAME]]   (100 and an unknown frontend unless told)
source "$(dirname "$0")/common.sh"
readMs=${1:-100}
name=${2:-}
[[ -f build/host/build.ninja ]] || tools/scripts/build.sh host >/dev/null
ninja -C build/host azimora-dvb azimora-dvb-sim >/dev/null
work=$root/build/measure-sweep
rm -rf "$work"
mkdir -p "$work"
{
    echo "lnb 9750 10600"
    echo "slow $readMs"
    [[ -n $name ]] && echo "name $name"
    for i in $(seq 0 9); do
        echo "carrier $((10750 + i * 95))H$(((i % 3 == 0) ? 27500 : (i % 3 == 1) ? 22000 : 30000)) $((9 + i % 6)) S-QPSK-3/4"
    done
} >"$work/simulation.txt"
began=$(date +%s.%N)
build/host/azimora-dvb --simulate "$work/simulation.txt" --sweep --csv "$work/band.csv" >"$work/report.txt" ||
    die "the sweep failed: $(cat "$work/report.txt")"
ended=$(date +%s.%N)
cat "$work/report.txt"
measured=$(grep -cE '^[0-9]+,H,-?[0-9]' "$work/band.csv")
awk -v a="$began" -v b="$ended" -v ms="$readMs" -v n="$measured" -v who="${name:-an unknown frontend}" \
    'BEGIN {printf "sweep of 500 steps (%d measured) on %s, the level read within %s ms: %.1f s\n", n, who, ms, b - a}'
for i in $(seq 0 9); do
    carrier=$((10750 + i * 95))
    found=$(grep -oE '^peak: [0-9]+' "$work/report.txt" | grep -oE '[0-9]+$' |
        awk -v c="$carrier" 'BEGIN {best = 99999} {d = $1 - c; if (d < 0) d = -d; if (d < best) best = d} END {print best}')
    echo "carrier $carrier MHz: peak found $found MHz from it"
done
