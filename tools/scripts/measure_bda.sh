#!/usr/bin/env bash
# Prints the program's CPU share idle and measuring under Wine through
# bdacard.dll and the simulated BDA tuner, and how often the bridge read the
# tuner's statistics (at most ten times a second, however fast the
# monitor loop asks). Figures for the record, not a test. A scenario file
# for the simulated stack (tests/support/bda/bdasim_scenario.h) may set the
# signal: "switch port D" keeps the default entry from ever locking, so the
# figures are those of the DVB-S2 search going round. Where the scenario's
# stream has a network ("network ID NAME"), the phone page's messages also
# give the time from the first reading with lock to the network known.
#   tools/scripts/measure_bda.sh [SCENARIO]
source "$(dirname "$0")/common.sh"
source tools/scripts/wine_env.sh
tools/scripts/build.sh "win$AZM_WIN_BITS" >/dev/null
wine_session "$root/build/wine-measure-bda" keep
for dll in bdasim_system bdasim_tuner bdacard; do
    wine regsvr32 /s "$AZM_WIN/$dll.dll" || die "cannot register $dll.dll"
done
folder=$root/build/measure-bda
rm -rf "$folder" && mkdir -p "$folder"
cp $AZM_WIN/Azimora.exe $AZM_WIN/ReadMe.txt "$folder/"
log=$folder/tuner.log
scenario=
phone=off
if [[ -n ${1:-} ]]; then
    cp "$1" "$folder/scenario.txt" || die "cannot read $1"
    scenario=$(winepath -w "$folder/scenario.txt")
    grep -q '^network ' "$1" && phone=127.0.0.1:18690
fi
AZIMORA_PHONE=$phone SIMCARD_SCENARIO=$scenario SIMCARD_LOG=$(winepath -w "$log") wine "$folder/Azimora.exe" &
program=$!
within 30 wine $AZM_WIN/azmctl.exe wait 20000 >/dev/null || die "the window did not appear"
pid=$(pgrep -f 'measure-bda.Azimora\.exe' | head -1)
[[ -n $pid ]] || die "the program's process was not found"
# user + system time of the process, in clock ticks (100 a second)
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
share() {
    local before after
    before=$(ticks)
    sleep 10
    after=$(ticks)
    # 1000 ticks in 10 s would be one whole core
    awk -v t=$(( after - before )) 'BEGIN { printf "%.1f", t / 10 }'
}
sleep 2
echo "cpu idle in Setup: $(share) % of one core"
events=$folder/events.txt
[[ $phone != off ]] && { curl -sN -m 8 "http://$phone/events" >"$events" 2>/dev/null & }
wine $AZM_WIN/azmctl.exe text m && wine $AZM_WIN/azmctl.exe key 13
sleep 2
echo "cpu while measuring: $(share) % of one core"
wine $AZM_WIN/azmctl.exe close
wait "$program" || true  # its exit code is no figure
# The tuner writes its count when the program has released it.
for _ in $(seq 50); do grep -q '^readings ' "$log" && break; sleep 0.2; done
sed -n 's/^readings [^=]* count=\([0-9]*\) spanMs=\([0-9]*\)$/statistics read \1 times in \2 ms/p' "$log"
echo "tune requests: $(grep -c '^tune ' "$log")"
# The page's readings: the time of the first with lock, and of the first with the network known.
if [[ $phone != off ]]; then
    awk '/^data: .*"lock":true/ && !locked { match($0, /"t":[0-9]+/); locked = substr($0, RSTART + 4, RLENGTH - 4) }
         /^data: .*"state":"known"/ && !known { match($0, /"t":[0-9]+/); known = substr($0, RSTART + 4, RLENGTH - 4) }
         END { if (locked && known) printf "network known %d ms after the first reading with lock\n", known - locked
               else print "network not known within the measurement" }' "$events"
fi
