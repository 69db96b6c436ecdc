#!/usr/bin/env bash
# Records what the program plays under Wine through a private PulseAudio
# null sink, for each sound setting, and prints where the sounds fall.
# Needs root (pulseaudio, parecord and Wine's PulseAudio library for the
# build it runs are installed if missing).
source "$(dirname "$0")/common.sh"
source tools/scripts/wine_env.sh
sound_packages=(pulseaudio pulseaudio-utils libpulse0)
[[ $AZM_WIN_BITS == 32 ]] && sound_packages+=(libpulse0:i386)
tools/scripts/ensure_deps.sh windows "${sound_packages[@]}"
tools/scripts/build.sh "win$AZM_WIN_BITS" >/dev/null
out=$root/build/audio-check
rm -rf "$out" && mkdir -p "$out"

export XDG_RUNTIME_DIR=$out/runtime
mkdir -p -m700 "$XDG_RUNTIME_DIR"
pulseaudio -D -n --exit-idle-time=-1 --log-target=file:$XDG_RUNTIME_DIR/pulse.log \
    --load="module-null-sink sink_name=cap" --load="module-native-protocol-unix"
wine_session "$root/build/wine-audio" keep
cleanup() { stop_xvfb; pactl exit 2>/dev/null || true; }
trap cleanup EXIT
wine regsvr32 /s $AZM_WIN/simcard.dll

mkdir -p "$out/program"
cp $AZM_WIN/Azimora.exe "$out/program/"
printf 'signal 0 lock 42 12\n' > "$out/scenario.txt"
SIMCARD_SCENARIO="$(winepath -w "$out/scenario.txt")" wine "$out/program/Azimora.exe" &
program=$!
ctl() { wine $AZM_WIN/azmctl.exe "$@" >/dev/null; }
ctl wait
ctl text m && ctl key 13  # measure the default entry, Tone at the slow pace

record() {  # record NAME SECONDS
    parecord --latency-msec=20 -d cap.monitor --channels=1 --rate=44100 --format=s16le --file-format=wav "$out/$1.wav" &
    local rec=$!
    while [[ ! -s "$out/$1.wav" || $(stat -c %s "$out/$1.wav") -lt 4096 ]]; do sleep 0.05; done
    sleep "$2"
    kill -INT $rec; wait $rec 2>/dev/null || true
    echo "== $1"
    python3 tools/scripts/audio_onsets.py "$out/$1.wav"
}

record tone-slow 8
ctl click 73 174 && record tone-fast 8                       # FAST
ctl click 15 77 && record voice-english-fast 8               # Voice
ctl click 73 174 && record voice-english-slow 8              # SLOW
ctl click 15 42 && record voice-russian-slow 8               # Russian
ctl text m && record muted 5                                 # M mutes
ctl close
wait $program || true
