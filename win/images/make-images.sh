#!/usr/bin/env bash
# Draws the pictures of RuvoJS.exe with ImageMagick (fonts-liberation for the
# title): the splash background (390 x 226, with the empty hexagon at 138,48),
# the hexagon that fills with the progress (114 x 129) and the program icons.
# The resource script takes the PNG and ICO files this writes beside it.
set -euo pipefail
cd "$(dirname "$0")"

convert -size 390x226 gradient:'#1b2433'-'#0c1018' \
  -fill '#141a25' -stroke '#3a4a66' -strokewidth 2 -draw "roundrectangle 6,6 383,219 10,10" \
  -fill '#232a36' -stroke '#45566f' -strokewidth 2 -draw "polygon 195,48 251,80 251,144 195,176 139,144 139,80" \
  -stroke none -fill '#8fa3c0' -font Liberation-Sans-Bold -pointsize 18 -annotate +20+32 'RuvoJS' \
  -fill '#5d6e88' -font Liberation-Sans -pointsize 10 -annotate +20+48 'ActionScript 3 to JavaScript' \
  -fill '#2c3648' -draw "rectangle 20,206 370,208" \
  PNG32:splash-background.png

convert -size 114x129 xc:none \
  \( -size 114x129 gradient:'#3fd0ff'-'#0a6ad2' \) \
  \( -size 114x129 xc:black -fill white -draw "polygon 57,0 113,32 113,96 57,128 0,96 0,32" \) \
  -delete 0 -alpha off -compose CopyOpacity -composite PNG32:splash-hexagon.png

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for s in 256 48 32 16; do
  convert -size ${s}x${s} xc:none -fill '#0a6ad2' \
    -draw "polygon $((s / 2)),0 $((s - 1)),$((s / 4)) $((s - 1)),$((s * 3 / 4)) $((s / 2)),$((s - 1)) 0,$((s * 3 / 4)) 0,$((s / 4))" \
    -fill white -font Liberation-Sans-Bold -pointsize $((s / 2)) -gravity center -annotate +0+0 'R' "$tmp/icon$s.png"
done
convert "$tmp/icon256.png" "$tmp/icon48.png" "$tmp/icon32.png" "$tmp/icon16.png" ruvojs.ico
convert "$tmp/icon32.png" "$tmp/icon16.png" ruvojs-small.ico
