#!/bin/bash
# Regenerates the built-in recordings in resources/sounds/: the signal tone and
# the English and Russian digit words. The build embeds the committed WAV
# files, so only whoever changes a recording needs espeak-ng and sox
# (Debian: espeak-ng sox libsox-fmt-all).
#
# Usage: tools/sounds/make_sounds.sh [output-dir]   (default resources/sounds)
# With PCM_DIR set to a folder, the 16-bit PCM words from which the ADPCM files
# are encoded are left there as well, for comparing them with the decoded files.
#
# Formats, chosen so that sndPlaySound plays the images straight from memory:
#   tone.wav    PCM 16 bits mono 8000 Hz, exactly 7024 samples (878 ms)
#   enN.wav     Microsoft ADPCM 4 bits mono 44100 Hz, 1024-byte blocks
#   ruN.wav     Microsoft ADPCM 4 bits mono 22050 Hz, 512-byte blocks
# The ADPCM files keep sox's 50-byte fmt chunk (7 standard coefficient pairs)
# but lose the fact chunk sox always writes.
source "$(dirname "$0")/../scripts/common.sh"

out=$(cd "$called_from" && realpath -m "${1:-$root/resources/sounds}")
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for tool in espeak-ng sox soxi od; do
    command -v "$tool" >/dev/null || { echo "make_sounds: $tool is missing" >&2; exit 1; }
done

# Trimming threshold for the silence espeak-ng leaves around a word. -50 dB
# keeps every audible consonant onset and release.
trim="silence 1 0.005 -50d reverse silence 1 0.005 -50d reverse"

# No dither and fixed seeds: the same tools give the same bytes on every run,
# and the words are quantised again by the ADPCM encoder anyway.
sox() { command sox -R -D "$@"; }

le32() { od -A n -t u4 --endian=little -j "$2" -N 4 "$1" | tr -d ' '; }

# Writes a 32-bit little-endian number as raw bytes.
put_le32() {
    local n=$1 i
    for i in 0 8 16 24; do
        printf "\\$(printf '%03o' $(( (n >> i) & 255 )))"
    done
}

# Copies a RIFF WAVE file chunk by chunk, leaving out the fact chunk, and
# writes the RIFF size that fits what is left.
strip_fact() {
    local in=$1 dst=$2 size pos id len body
    size=$(stat -c %s "$in")
    : >"$tmp/chunks"
    pos=12
    while [ "$pos" -lt "$size" ]; do
        id=$(dd if="$in" bs=1 skip="$pos" count=4 status=none)
        len=$(le32 "$in" $((pos + 4)))
        body=$(( 8 + len + (len & 1) ))
        if [ "$id" != "fact" ]; then
            dd if="$in" bs=4096 iflag=skip_bytes,count_bytes skip="$pos" count="$body" \
                status=none >>"$tmp/chunks"
        fi
        pos=$((pos + body))
    done
    { printf 'RIFF'; put_le32 $(( $(stat -c %s "$tmp/chunks") + 4 )); printf 'WAVE'
      cat "$tmp/chunks"; } >"$dst"
}

# One spoken digit: espeak-ng voice, words per minute, text, sample rate,
# output name. Trimmed, rumble below the small speakers' range removed, a few
# milliseconds of fade so the cut edges never click, and normalised to -1 dBFS,
# which leaves room for the ADPCM quantisation error without clipping.
make_word() {
    local voice=$1 speed=$2 text=$3 rate=$4 name=$5
    espeak-ng -v "$voice" -s "$speed" -w "$tmp/raw.wav" "$text"
    sox "$tmp/raw.wav" "$tmp/trimmed.wav" $trim
    sox "$tmp/trimmed.wav" -b 16 "$tmp/$name.pcm.wav" highpass 100 \
        rate -v "$rate" fade h 0.004 -0 0.008 gain -n -1
    sox "$tmp/$name.pcm.wav" -e ms-adpcm -b 4 -c 1 -r "$rate" "$tmp/$name.adpcm.wav"
    strip_fact "$tmp/$name.adpcm.wav" "$out/$name.wav"
    if [ -n "${PCM_DIR:-}" ]; then cp "$tmp/$name.pcm.wav" "$PCM_DIR/$name.wav"; fi
}

# Speaking rates in words per minute (espeak-ng's default is 175). The short
# words are spoken slower and the long ones faster so that every word, padded
# to whole ADPCM blocks, lasts between about a third and half a second
# (English) or a quarter and a third of a second (Russian): well within the
# 600 ms between the two digits of a report.
english_words=(zero one two three four five six seven eight nine)
english_speeds=(175 175 140 175 175 175 175 175 150 175)
russian_words=(ноль один два три четыре пять шесть семь восемь девять)
russian_speeds=(175 175 175 175 210 175 190 175 190 230)

for d in 0 1 2 3 4 5 6 7 8 9; do
    make_word en-us "${english_speeds[$d]}" "${english_words[$d]}" 44100 "en$d"
    make_word ru "${russian_speeds[$d]}" "${russian_words[$d]}" 22050 "ru$d"
done

# The tone: 880 Hz with a soft second harmonic (-12 dB), which carries better
# outdoors than a bare sine and still sounds clean; half-sine attack of 30 ms
# and release of 60 ms so it starts and stops without a click. The rate goes
# before -n, otherwise synth counts samples at its own default rate.
sox -r 8000 -n -b 16 -c 1 -e signed-integer "$tmp/f1.wav" synth 7024s sine 880
sox -r 8000 -n -b 16 -c 1 -e signed-integer "$tmp/f2.wav" synth 7024s sine 1760
sox -m -v 0.8 "$tmp/f1.wav" -v 0.2 "$tmp/f2.wav" -b 16 -e signed-integer "$out/tone.wav" \
    fade h 0.03 -0 0.06 gain -n -2

for f in "$out"/tone.wav "$out"/en?.wav "$out"/ru?.wav; do
    samples=$(soxi -s "$f")
    ms=$(( samples * 1000 / $(soxi -r "$f") ))
    printf '%-8s %6d samples %4d ms\n' "$(basename "$f")" "$samples" "$ms"
    case $(basename "$f") in
        tone.wav) [ "$samples" -eq 7024 ] || { echo "make_sounds: tone is not 7024 samples" >&2; exit 1; } ;;
        *) [ "$ms" -lt 600 ] || { echo "make_sounds: $f lasts 600 ms or more" >&2; exit 1; } ;;
    esac
done
