#!/bin/sh
# Draws Kivora's pictures: a key cap with a "K" on it, as icon 135 and the file
# icon6.ico (48 x 48) and as the About box's bitmap (48 x 48, 256 colours);
# the same key cap greyed, with a pause sign, as icon 136 (counting paused).
# The results are committed; run this only to change them (needs ImageMagick).
set -eu
cd "$(dirname "$0")/../res"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 48x48 xc:none \
    -fill '#30343c' -draw 'roundrectangle 2,4 45,45 8,8' \
    -fill '#dfe4ec' -draw 'roundrectangle 2,2 45,40 8,8' \
    -fill '#ffffff' -draw 'roundrectangle 8,5 39,33 6,6' \
    -fill '#2a6fdb' -font DejaVu-Sans-Bold -pointsize 24 -gravity center -annotate +0-4 'K' \
    -fill '#e8413c' -draw 'rectangle 13,35 34,37' \
    "$tmp/key.png"

convert "$tmp/key.png" kivora.ico
cp kivora.ico icon6.ico
convert "$tmp/key.png" -background '#f0f0f0' -flatten -colors 256 -type Palette BMP3:about.bmp

# Paused: the same key cap in faded greys, a pause sign in place of the K.
convert -size 48x48 xc:none \
    -fill '#8a8f98' -draw 'roundrectangle 2,4 45,45 8,8' \
    -fill '#e4e6ea' -draw 'roundrectangle 2,2 45,40 8,8' \
    -fill '#f7f7f8' -draw 'roundrectangle 8,5 39,33 6,6' \
    -fill '#7d838c' -draw 'roundrectangle 16,11 21,28 1,1' -draw 'roundrectangle 27,11 32,28 1,1' \
    -fill '#b9bcc2' -draw 'rectangle 13,35 34,37' \
    "$tmp/paused.png"
convert "$tmp/paused.png" kivora-paused.ico
