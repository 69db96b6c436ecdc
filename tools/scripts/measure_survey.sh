#!/usr/bin/env bash
# How long azimora-dvb --survey takes over a satellite of 20 transponders on
# the simulated frontend, with the default dwell (2 s after each lock) or
# DWELL seconds (--dwell):
# HotBird at 13.0E from its catalogue transponder (10723H29900) and 19 more,
# 10 in each band, both polarizations, DVB-S and DVB-S2, each locking 300 ms
# after its tune (the tuner's programming and the demodulator's search),
# behind a universal LNB, listed by the network's NIT actual beside a
# neighbour's NIT other. The target: within 60 s, and within 30 s with
# --dwell 1.
#   tools/scripts/measure_survey.sh [RUNS [DWELL]]   (3 runs and the default dwell unless told)
source "$(dirname "$0")/common.sh"
runs=${1:-3}
dwell=(${2:+--dwell "$2"})
[[ -f build/host/build.ninja ]] || tools/scripts/build.sh host >/dev/null
ninja -C build/host azimora-dvb azimora-dvb-sim >/dev/null
work=$root/build/measure-survey
rm -rf "$work"
mkdir -p "$work"

# The catalogue's transponder, then 19 carriers from 10760 to 12632 MHz,
# 104 MHz apart, V and H in turn.
transponders() {
    echo "10723H29900 S-QPSK-3/4"
    for i in $(seq 1 19); do
        polarization=$([[ $((i % 2)) == 0 ]] && echo H || echo V)
        modcod=$([[ $((i % 3)) == 0 ]] && echo S-QPSK-3/4 || echo S2-8PSK-2/3)
        echo "$((10760 + (i - 1) * 104))${polarization}27500 $modcod"
    done
}
{
    echo "lnb 9750 10600"
    echo "acquisition 300"
    i=0
    while read -r entry modcod; do
        echo "carrier $entry $((10 + i % 5)) $modcod stream $((1001 + i)) 318"
        i=$((i + 1))
    done < <(transponders)
    echo "nit actual 318 Survey Net"
    i=0
    while read -r entry modcod; do
        echo "entry $((1001 + i)) 318 13.0E $modcod $entry"
        i=$((i + 1))
    done < <(transponders)
    echo "nit other 400 Neighbour"
    echo "entry 2001 400 19.2E 11362H22000"
} >"$work/satellite.txt"

times=()
for run in $(seq "$runs"); do
    start=$(date +%s.%N)
    XDG_DATA_HOME=$work within 120 build/host/azimora-dvb --simulate "$work/satellite.txt" --survey HotBird "${dwell[@]}" --csv "$work/survey.csv" \
        >"$work/survey.out" 2>&1 || die "the survey failed: $(tail -5 "$work/survey.out")"
    end=$(date +%s.%N)
    seconds=$(awk "BEGIN { print $end - $start }")
    times+=("$seconds")
    measured=$(grep -c '  locked in ' "$work/survey.out")
    printf 'run %d: %.1f s, %d transponders locked\n' "$run" "$seconds" "$measured"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
printf 'median %.1f s for 20 transponders, %s after each lock (target: within %s s)\n' "$median" \
    "${2:-2} s" "$([[ ${2:-2} == 1 ]] && echo 30 || echo 60)"
lines=$(($(wc -l <"$work/survey.csv") - 1))
printf 'CSV: %d lines, %d bytes a line on average\n' "$lines" $((($(wc -c <"$work/survey.csv") - $(head -1 "$work/survey.csv" | wc -c)) / lines))
tail -3 "$work/survey.out"
