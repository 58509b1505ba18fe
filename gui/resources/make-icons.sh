#!/usr/bin/env bash
# Draws the pictures shipped with the program (the fallback when the desktop
# theme lacks an icon). Needs ImageMagick and the DejaVu fonts; run it after
# changing a picture and commit the PNG files.
set -euo pipefail
cd "$(dirname "$0")/icons"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

glyph() {  # name background glyph
  convert -size 24x24 xc:none -fill "$2" -draw "roundrectangle 1,1 22,22 5,5" \
    -font "$font" -pointsize 16 -fill white -gravity center -annotate +0+0 "$3" "$1.png"
}
lens() {  # name: a magnifying glass, clear inside its ring
  convert -size 24x24 xc:none -fill 'rgba(255,255,255,0.6)' -stroke '#37474f' -strokewidth 3 \
    -draw "circle 10,10 10,3.5" -strokewidth 4 -draw "line 15,15 21,21" "$1.png"
}
folder() {  # name colour
  convert -size 24x24 xc:none -fill "$2" -stroke '#6b4c0a' \
    -draw "polygon 2,6 9,6 11,8 21,8 21,19 2,19" "$1.png"
}

glyph scan '#2e7d32' '▶'
glyph cancel '#c62828' '■'
glyph save-as '#1565c0' 'S'
glyph settings '#546e7a' '⚙'
glyph add '#2e7d32' '+'
glyph remove '#c62828' '−'
glyph exclude '#ef6c00' '⊘'
glyph add-type '#2e7d32' '+'
glyph delete-type '#c62828' '−'
glyph bold '#424242' 'B'
glyph italic '#424242' 'I'
glyph underline '#424242' 'U'
glyph colour '#ad1457' 'A'
glyph undo '#424242' '↶'
glyph redo '#424242' '↷'
glyph print '#37474f' 'P'
glyph catalogue '#6a1b9a' '≡'
lens find
folder browse '#f6cf5c'
folder folder '#f6cf5c'
folder folder-skipped '#bdbdbd'
# The program's own picture, drawn like tallyfold.svg.
convert -size 48x48 xc:none -fill '#f6cf5c' -stroke '#9a6b10' -strokewidth 2 \
  -draw "polygon 3,10 18,10 22,15 45,15 45,42 3,42" \
  -stroke '#3b3b3b' -strokewidth 3 \
  -draw "line 12,22 12,37" -draw "line 18,22 18,37" -draw "line 24,22 24,37" \
  -draw "line 30,22 30,37" -draw "line 8,34 35,24" tallyfold.png
