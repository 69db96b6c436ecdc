#!/bin/bash
# Prints the packed size of each FILE with qzpack against gzip -9 and xz -9e.
#   tools/qzpack/compare_sizes.sh [FILE...]
# Without files: the payload of resources/skin.qz (when present) and the
# generated 646 x 200 test picture. QZPACK names the packer to use
# (default build/host/qzpack; build it with ninja -C build/host qzpack).
source "$(dirname "$0")/../scripts/common.sh"

ROOT=$root
QZPACK=${QZPACK:-$ROOT/build/host/qzpack}
[ -x "$QZPACK" ] || die "$QZPACK not found (set QZPACK or build qzpack)"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

files=()
for f in "$@"; do files+=("$(cd "$called_from" && realpath "$f")"); done
if [ ${#files[@]} -eq 0 ]; then
    if [ -f "$ROOT/resources/skin.qz" ]; then
        "$QZPACK" -d "$ROOT/resources/skin.qz" "$WORK/skin.payload"
        files+=("$WORK/skin.payload")
    fi
    "$QZPACK" --synthetic "$WORK/synthetic.payload"
    files+=("$WORK/synthetic.payload")
fi

printf '%-20s %10s %10s %10s %10s %8s\n' file bytes qzpack "gzip -9" "xz -9e" seconds
for f in "${files[@]}"; do
    start=$(date +%s%N)
    "$QZPACK" "$f" "$WORK/packed.qz" >/dev/null
    tenths=$((($(date +%s%N) - start) / 100000000))
    printf '%-20s %10d %10d %10d %10d %6d.%d\n' "$(basename "$f")" "$(stat -c %s "$f")" \
        "$(stat -c %s "$WORK/packed.qz")" "$(gzip -9 -c "$f" | wc -c)" "$(xz -9e -c "$f" | wc -c)" \
        $((tenths / 10)) $((tenths % 10))
done
