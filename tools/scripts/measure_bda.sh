#!/usr/bin/env bash
# Prints the program's CPU share idle and measuring under Wine through
# bdacard.dll and the simulated BDA tuner, and how often the bridge read the
# tuner's statistics (about ten times a second at most, however fast the
# monitor loop asks). Figures for the record, not a test.
#   tools/scripts/measure_bda.sh
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
SIMCARD_LOG=$(winepath -w "$log") wine "$folder/Azimora.exe" &
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
wine $AZM_WIN/azmctl.exe text m && wine $AZM_WIN/azmctl.exe key 13
sleep 2
echo "cpu while measuring: $(share) % of one core"
wine $AZM_WIN/azmctl.exe close
wait "$program" || true  # its exit code is no figure
# The tuner writes its count when the program has released it.
for _ in $(seq 50); do grep -q '^readings ' "$log" && break; sleep 0.2; done
sed -n 's/^readings [^=]* count=\([0-9]*\) spanMs=\([0-9]*\)$/statistics read \1 times in \2 ms/p' "$log"
