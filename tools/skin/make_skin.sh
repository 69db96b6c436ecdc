#!/bin/bash
# Regenerates the program's artwork from the SVG sources in this folder:
#   resources/skin.qz        packed skin picture (646 x 200, window face + atlas)
#   resources/azimora.ico    program icon, 32 x 32 and 16 x 16, 256 colours
#   tools/skin/skin.png      the rendered skin picture, for reference
#   docs/skin-preview-*.png  the face as each state composes it (texts approximated)
# Needs rsvg-convert, ImageMagick's convert, cmake and ninja. Host tools (skinconv,
# qzpack) are built in $AZM_HOST_BUILD, by default build/host.
source "$(dirname "$0")/../scripts/common.sh"

HERE=$root/tools/skin
ROOT=$root
BUILD=${AZM_HOST_BUILD:-$ROOT/build/host}
WORK=$BUILD/skin-work
STAMPLESS="-define png:exclude-chunks=date,time"   # same sources, same bytes
mkdir -p "$WORK"

# --- host tools -------------------------------------------------------------
if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja >/dev/null
fi
ninja -C "$BUILD" -j2 skinconv >/dev/null
if [ -f "$ROOT/tools/qzpack/tool.cmake" ]; then
    ninja -C "$BUILD" -j2 qzpack >/dev/null || echo "make_skin.sh: qzpack did not build" >&2
fi

# --- skin picture -----------------------------------------------------------
# The face, then the atlas. Every button cell first gets a copy of the face at the
# slot where the program draws it, so the cell's corners around the oval match the
# face pixel for pixel; only the button is drawn over that.
rsvg-convert "$HERE/face.svg" -o "$WORK/face.png"
rsvg-convert "$HERE/atlas.svg" -o "$WORK/atlas.png"

under=()
# cell x, y, width, height, copied from the face at slot x, y
slot() { under+=( \( "$WORK/face.png" -crop "${3}x${4}+$5+$6" +repage \) -geometry "+$1+$2" -composite ); }
for y in 0 28; do for x in 350 424 498 572; do slot $x $y 74 28 36 160; done; done   # MODE 0, MODE1, FAST, SLOW
for y in 56 84; do
    for x in 350 424 498; do slot $x $y 74 28 138 160; done                           # EDIT, HELP, <BACK
    slot 572 $y 74 28 240 160                                                          # ABOUT
done
slot 350 112 74 28 240 160; slot 350 140 74 28 240 160                                # FIND>
slot 572 112 21 18 262 6; slot 572 130 21 18 262 6                                    # minimize
slot 593 112 21 18 289 6; slot 614 112 21 18 289 6                                    # close

# The face itself shows the plain title buttons, as every paint does.
convert -size 646x200 xc:'#5d646d' "$WORK/face.png" -geometry +0+0 -composite "${under[@]}" \
    "$WORK/atlas.png" -composite \
    \( +clone -crop 21x18+572+112 +repage \) -geometry +262+6 -composite \
    \( +clone -crop 21x18+593+112 +repage \) -geometry +289+6 -composite \
    -alpha off -depth 8 -define png:color-type=2 $STAMPLESS "$HERE/skin.png"

convert "$HERE/skin.png" -depth 8 "rgb:$WORK/skin.rgb"
"$BUILD/skinconv" payload "$WORK/skin.rgb" 646 200 "$WORK/skin.payload"

# --- icon -------------------------------------------------------------------
rsvg-convert -w 32 -h 32 "$HERE/icon.svg" -o "$WORK/icon32.png"
rsvg-convert -w 16 -h 16 "$HERE/icon16.svg" -o "$WORK/icon16.png"
convert "$WORK/icon32.png" -depth 8 "rgba:$WORK/icon32.rgba"
convert "$WORK/icon16.png" -depth 8 "rgba:$WORK/icon16.rgba"
"$BUILD/skinconv" icon "$ROOT/resources/azimora.ico" "$WORK/icon32.rgba" 32 "$WORK/icon16.rgba" 16

# --- previews ---------------------------------------------------------------
# The states as the program composes them: face, title buttons, the faces at the
# three slots, and the texts in a stand-in font at the program's positions.
# Outside the window region (round rectangle, 85 x 85 corners) is transparent.
mkdir -p "$ROOT/docs"
SKIN=$HERE/skin.png
INK='#00001E'
LIGHT='#C8DCFF'
args=()
face() { args+=( \( "$SKIN" -crop "$3x$4+$1+$2" +repage \) -geometry "+$5+$6" -composite ); }
font() { args+=( -font DejaVu-Sans-Condensed-Oblique -pointsize 17 -gravity northwest ); }
say() { font; args+=( -fill "$1" -annotate "+$2+$3" "$4" ); }      # TextOutA at x, y
centred() { font; args+=( -fill "$INK" -gravity north -annotate "+0+$1" "$2" -gravity northwest ); }
shadowed() { say "$LIGHT" "$1" "$2" "$3"; say "$INK" $(($1 + 1)) $(($2 + 1)) "$3"; }
render() {
    convert "$SKIN" -crop 350x200+0+0 +repage "${args[@]}" \
        \( -size 350x200 xc:black -fill white -draw 'roundrectangle 0,0 349,199 42,42' \) \
        -alpha off -compose CopyOpacity -composite $STAMPLESS "$ROOT/docs/skin-preview-$1.png"
    args=()
}

face 350 0 74 28 36 160; face 350 56 74 28 138 160; face 350 112 74 28 240 160
centred 40 'Choose the satellite'
args+=( -fill white -stroke '#7A7A7A' -draw 'rectangle 40,85 309,108' -stroke none
        -fill '#D4D0C8' -draw 'rectangle 292,87 307,106' -fill black -draw 'polygon 296,94 304,94 300,99' )
say black 44 87 'Satellite 13.0E'
render setup-list

face 424 0 74 28 36 160; face 424 56 74 28 138 160; face 350 112 74 28 240 160
centred 40 'Input transponder parameters'
chars='1234567890HVAB<C'
for i in $(seq 0 15); do say "$INK" $((42 + 17 * i)) 128 "${chars:$i:1}"; done
args+=( -font DejaVu-Sans-Mono-Bold -pointsize 23 -fill "$INK" -gravity north -annotate +0+88 '11766H27500A' -gravity northwest )
render setup-keypad

args+=( -fill '#F0F0FF' -draw 'rectangle 42,88 192,111' )
say "$INK" 160 87 '57%'
shadowed 240 130 's/n: 9.8'
shadowed 40 40 'Satellite 13.0E 11766 H'
face 498 56 74 28 138 160; face 572 1 74 27 36 161; face 572 56 74 28 240 160
render measuring-1200

args+=( -stroke red -strokewidth 2 -draw 'line 42,113 180,113' -stroke none )
say red 160 87 '00%'
shadowed 40 40 'Satellite 13.0E 11766 H'
face 498 56 74 28 138 160; face 498 1 74 27 36 161; face 572 56 74 28 240 160
render measuring-900

# Hover: lit bottom buttons, a lit title button and the three side icons.
face 350 28 74 28 36 160; face 350 84 74 28 138 160; face 350 140 74 28 240 160
face 614 112 21 18 289 6; face 390 168 20 15 5 35; face 370 168 20 15 5 70; face 350 168 20 15 5 105
centred 40 'Choose the satellite'
render hover

# --- pack -------------------------------------------------------------------
if [ ! -x "$BUILD/qzpack" ]; then
    echo "make_skin.sh: $BUILD/qzpack is missing; payload left in $WORK/skin.payload" >&2
    exit 1
fi
"$BUILD/qzpack" "$WORK/skin.payload" "$ROOT/resources/skin.qz"
echo "skin: $(stat -c %s "$ROOT/resources/skin.qz") bytes packed; icon: $(stat -c %s "$ROOT/resources/azimora.ico") bytes"
