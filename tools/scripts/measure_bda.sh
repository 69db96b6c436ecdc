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
# With "lock", the time to lock instead: for each simulated tuner (each
# behaves as some real drivers do), a DVB-S and a DVB-S2 8PSK transponder at
# 27500 and 2000 kS/s, with the switch letters "AB" on a committed switch
# for the tuners that reach a switch in their own way; the time counts from
# the tuner's first tune, command or range to its first reading with lock
# (the simulated tuner's "lock" line), one start a run. A tuner named with
# " +scr" is measured through a single-cable device (EN 50494, user band 1
# at 1210 MHz), the time counting from its tune at 18 V.
#   tools/scripts/measure_bda.sh lock [TUNER...]
source "$(dirname "$0")/common.sh"
source tools/scripts/wine_env.sh
tools/scripts/build.sh "win$AZM_WIN_BITS" >/dev/null
wine_session "$root/build/wine-measure-bda" keep
for dll in bdasim_system bdasim_tuner bdacard; do
    wine regsvr32 /s "$AZM_WIN/$dll.dll" || die "cannot register $dll.dll"
done

# One start through a copy of the bridge with its own bdacard.ini: prints
# the time to lock, or that none came within the wait.
lock_time() {
    local tuner=$1 transponder=$2 entry=$3 scenario_text=$4 settings=$5
    local folder=$root/build/measure-bda-lock
    rm -rf "$folder" && mkdir -p "$folder"
    cp "$AZM_WIN/Azimora.exe" "$AZM_WIN/bdacard.dll" "$folder/"
    printf 'tuner=%s\r\n%b' "${tuner% +scr}" "$settings" >"$folder/bdacard.ini"
    printf 'transponder %s\n%b' "$transponder" "$scenario_text" >"$folder/scenario.txt"
    wine regsvr32 /s "$folder/bdacard.dll" || die "cannot register the copy of bdacard.dll"
    local log=$folder/tuner.log
    AZIMORA_PHONE=off SIMCARD_SCENARIO=$(winepath -w "$folder/scenario.txt") SIMCARD_LOG=$(winepath -w "$log") \
        wine "$folder/Azimora.exe" &
    local program=$!
    within 30 wine $AZM_WIN/azmctl.exe wait 20000 >/dev/null || die "the window did not appear"
    wine $AZM_WIN/azmctl.exe text m && wine $AZM_WIN/azmctl.exe key 46 && wine $AZM_WIN/azmctl.exe text "$entry" &&
        wine $AZM_WIN/azmctl.exe key 13
    local line=
    for _ in $(seq 300); do
        line=$(grep -m1 '^lock ' "$log" 2>/dev/null || true)
        [[ -n $line ]] && break
        sleep 0.1
    done
    local outcome="no lock within 30 s"
    [[ -n $line ]] && outcome="lock after ${line##* after }"
    printf '%-32s %-12s %-14s %s\n' "$tuner" "$transponder" "$entry" "$outcome"
    wine $AZM_WIN/azmctl.exe close >/dev/null 2>&1 || true
    # A start refused with a message box keeps the program up: end it.
    within 15 tail --pid="$program" -f /dev/null || kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
}

if [[ ${1:-} == lock ]]; then
    shift
    tuners=("$@")
    [[ ${#tuners[@]} -gt 0 ]] || tuners=("Simulated DVB-S2 Tuner" "Simulated DVB-S Tuner 2" "Simulated NBC Tuner"
        "Simulated Command Tuner" "Simulated Plain Tuner" "Simulated One Oscillator Tuner" "Simulated mdB Tuner"
        "Simulated Sections Tuner" "Simulated Tune-Powered Tuner" "Simulated Plain 8PSK Tuner"
        "Simulated Pilot Tuner" "Simulated Range Tuner" "Simulated Blocking Tables Tuner"
        "TBS Simulated DVB-S2 Tuner" "Simulated Reference Tuner" "TBS Simulated Ignoring Tuner"
        "TeVii Simulated S470 Tuner" "Simulated DVB-S2 Tuner +scr" "TBS Simulated DVB-S2 Tuner +scr")
    for tuner in "${tuners[@]}"; do
        letters= scenario_text= settings=
        case $tuner in
        *" +scr") settings='scr=en50494,1,1210\r\n' scenario_text='scr-device en50494 1210,1420,1680,2040\n' ;;
        *"DVB-S Tuner 2"* | *Command* | *Tune-Powered* | *Range* | TBS* | *Reference* | TeVii*)
            letters=AB scenario_text='switch port C\n' ;;
        *Pilot*) settings='pilot=on\r\nrolloff=0.35\r\n' ;;
        *"Blocking Tables"*) scenario_text='no demultiplexer\n' ;;
        esac
        for transponder in DVB-S DVB-S2-8PSK; do
            for rate in 27500 2000; do
                lock_time "$tuner" "$transponder" "12245H$rate$letters" "$scenario_text" "$settings"
            done
        done
    done
    exit 0
fi
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
