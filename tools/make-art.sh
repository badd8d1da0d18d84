#!/bin/sh
# Draws Kivora's pictures: a key cap with a "K" on it, as icon 135 and the file
# icon6.ico, and as the About box's bitmap (48 x 48, 256 colours); the same
# key cap greyed, with a pause sign, as icon 136 (counting paused).
#
# Each icon holds the sizes Windows asks for at 100 to 200 % (16, 20, 24, 32,
# 40, 48, 64) and 256 for Explorer's large views. Every size is drawn at its
# own size, with its own line widths and letter, on whole pixels, rather than
# scaled from one picture: a 16-pixel icon scaled down from 48 blurs. The
# images of 32 pixels and more are stored PNG-compressed, the smaller ones as
# 32-bit bitmaps with their masks.
#
# The results are committed; run this only to change them (needs ImageMagick).
set -eu
cd "$(dirname "$0")/../res"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The shapes of one size, in whole pixels:
#   size margin corner shadow side top bar stroke
# margin: around the cap; corner: its radius; shadow: the cap's base seen
# under its face; side, top: the light top's inset in the face; bar: the
# height of the line under it; stroke: the letter's and the pause sign's.
SIZES="16 0 3 2 2 1 1 2
20 0 4 2 3 1 1 3
24 1 4 2 3 2 2 3
32 1 6 3 4 2 2 4
40 2 7 4 5 3 2 5
48 2 8 5 6 3 3 6
64 3 10 6 8 4 4 7
256 10 40 22 30 16 14 28"

# cap SIZE MARGIN CORNER SHADOW SIDE TOP BAR STROKE BASE FACE TOPFACE BARCOLOUR SYMBOL SYMBOLCOLOUR OUT
cap() {
    s=$1 m=$2 r=$3 b=$4 side=$5 top=$6 bar=$7 w=$8
    far=$((s - 1 - m))
    face_bottom=$((far - b))
    gap=$(( bar > 1 ? bar / 2 + 1 : 1 ))
    bar_bottom=$((face_bottom - gap))
    bar_top=$((bar_bottom - bar + 1))
    light_bottom=$((bar_top - gap - 1))
    light_left=$((m + side)) light_right=$((far - side)) light_top=$((m + top))
    inner=$(( r - side > 1 ? r - side : 1 ))
    # The symbol's box: the light top less a margin of its own.
    pad=$(( s / 32 + 1 ))
    x0=$((light_left + pad + (s >= 24 ? 1 : 0))) x1=$((light_right - pad - (s >= 24 ? 1 : 0)))
    y0=$((light_top + pad)) y1=$((light_bottom - pad))
    case ${13} in
    K)  # A stem on whole pixels, an arm from its middle up to the top right
        # and a leg from the arm down to the bottom right; the letter nine
        # tenths as wide as it is high, centred.
        width=$(( (y1 - y0 + 1) * 9 / 10 ))
        x0=$(( x0 + (x1 - x0 + 1 - width) / 2 )) x1=$(( x0 + width - 1 ))
        if [ "$s" -le 32 ]; then
            # Up to 32 pixels, whole pixels only: the arm and the leg as steps
            # as wide as the stem, which stay sharp where a slant would blur.
            symbol=$(awk -v x0="$x0" -v x1="$x1" -v y0="$y0" -v y1="$y1" -v w="$w" 'BEGIN {
                printf "rectangle %d,%d %d,%d\n", x0, y0, x0 + w - 1, y1
                half = (y1 - y0) / 2
                for (y = y0; y <= y1; ++y) {
                    d = (y - y0 - half) / half; if (d < 0) d = -d
                    x = x0 + w + int(d * (x1 - 1 - x0 - w) + 0.5)
                    printf "rectangle %d,%d %d,%d\n", x, y, x + w - 1, y }}')
        else
            # Larger, slanted edges; a pixel's edges are at n - 0.5 in
            # ImageMagick's coordinates.
            symbol=$(awk -v x0="$x0" -v x1="$x1" -v y0="$y0" -v y1="$y1" -v w="$w" 'BEGIN {
                left = x0 - 0.5; right = x1 + 0.5; top = y0 - 0.5; bottom = y1 + 0.5
                stem = left + w; middle = (top + bottom) / 2; t = w * 1.15
                join = stem + (right - stem) * 0.2
                printf "rectangle %d,%d %d,%d\n", x0, y0, x0 + w - 1, y1
                printf "polygon %.2f,%.2f %.2f,%.2f %.2f,%.2f %.2f,%.2f\n", stem - 0.5, middle - w * 0.55,
                    right - t, top, right, top, stem - 0.5, middle + w * 0.75
                printf "polygon %.2f,%.2f %.2f,%.2f %.2f,%.2f %.2f,%.2f\n", join, middle,
                    join + t * 0.9, middle - t * 0.5, right, bottom, right - t, bottom }')
        fi ;;
    pause)
        gap_x=$(( (x1 - x0 + 1 - 2 * w) / 3 ))
        left=$((x0 + gap_x)) right=$((x1 - gap_x - w + 1))
        symbol="rectangle $left,$y0 $((left + w - 1)),$y1
                rectangle $right,$y0 $((right + w - 1)),$y1" ;;
    esac
    convert -size "${s}x$s" xc:none \
        -fill "$9" -draw "roundrectangle $m,$((m + b)) $far,$far $r,$r" \
        -fill "${10}" -draw "roundrectangle $m,$m $far,$face_bottom $r,$r" \
        -fill "${11}" -draw "roundrectangle $light_left,$light_top $light_right,$light_bottom $inner,$inner" \
        -fill "${12}" -draw "rectangle $((light_left + side / 2 + 1)),$bar_top \
                                    $((light_right - side / 2 - 1)),$bar_bottom" \
        -fill "${14}" -draw "$symbol" \
        "${15}"
}

# icon NAME BASE FACE TOPFACE BARCOLOUR SYMBOL SYMBOLCOLOUR: NAME.ico of every size.
icon() {
    images=""
    echo "$SIZES" | while read -r size rest; do
        # shellcheck disable=SC2086
        cap $size $rest "$2" "$3" "$4" "$5" "$6" "$7" "$tmp/$1-$size.png"
    done
    for size in $(echo "$SIZES" | cut -d' ' -f1); do
        convert "$tmp/$1-$size.png" -depth 8 "$tmp/$1-$size.ico"
        convert "$tmp/$1-$size.png" -strip -define png:compression-level=9 "PNG32:$tmp/$1-$size.small.png"
    done
    # One icon of every size: up to 24 pixels (the notification area's and
    # the title bars' sizes) 32-bit bitmaps, from 32 up PNG-compressed, which
    # Windows Vista and later read at any size: the icons weigh a quarter.
    python3 - "$tmp" "$1" $(echo "$SIZES" | cut -d' ' -f1) <<'PY'
import struct, sys
folder, name, sizes = sys.argv[1], sys.argv[2], [int(s) for s in sys.argv[3:]]
entries = []
for size in sizes:
    if size >= 32:
        data = open(f"{folder}/{name}-{size}.small.png", "rb").read()
        planes, bits = 1, 32
    else:
        ico = open(f"{folder}/{name}-{size}.ico", "rb").read()
        _, _, _, _, planes, bits, length, offset = struct.unpack_from("<BBBBHHII", ico, 6)
        data = ico[offset:offset + length]
    entries.append((size, planes, bits, data))
out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
offset = 6 + 16 * len(entries)
for size, planes, bits, data in entries:
    side = 0 if size >= 256 else size
    out += struct.pack("<BBBBHHII", side, side, 0, 0, planes, bits, len(data), offset)
    offset += len(data)
for entry in entries:
    out += entry[3]
open(f"{name}.ico", "wb").write(out)
PY
}

icon kivora '#30343c' '#dfe4ec' '#ffffff' '#e8413c' K '#2a6fdb'
cp kivora.ico icon6.ico
convert "$tmp/kivora-48.png" -background '#f0f0f0' -flatten -colors 256 -type Palette BMP3:about.bmp

# Paused: the same key cap in faded greys, a pause sign in place of the K.
icon kivora-paused '#8a8f98' '#e4e6ea' '#f7f7f8' '#b9bcc2' pause '#7d838c'
