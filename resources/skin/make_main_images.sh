#!/usr/bin/env bash
# Draws the main window's few images (window buttons, logo, no-device picture)
# into skin/main/. The PNGs are committed; run this again only to change them.
# Needs ImageMagick 6 (Debian's imagemagick package).
set -euo pipefail
cd "$(dirname "$0")/main"
im=/usr/bin/convert
fg="#C8CCD4"   # glyph colour on the dark header
accent="#E8343E"
s=24           # window button glyph size at 96 DPI

glyph() {  # glyph NAME DRAW-ARGS...
  local name=$1; shift
  "$im" -size ${s}x${s} xc:none -stroke "$fg" -strokewidth 2 -fill none "$@" "PNG32:$name.png"
}

glyph btn_close    -draw "line 7,7 17,17" -draw "line 17,7 7,17"
glyph btn_min      -draw "line 6,16 18,16"
glyph btn_max      -draw "rectangle 6,6 18,18"
glyph btn_restore  -draw "rectangle 6,9 15,18" -draw "polyline 9,9 9,6 18,6 18,15 15,15"
glyph btn_skin     -draw "polygon 5,8 9,5 15,5 19,8 17,11 16,11 16,19 8,19 8,11 7,11"
glyph btn_gamemode -draw "roundrectangle 3,7 21,17 4,4" -draw "line 7,12 11,12" -draw "line 9,10 9,14" \
                   -fill "$fg" -draw "circle 16,11 16.8,11" -draw "circle 18,13 18.8,13"
glyph btn_cloud    -draw "bezier 7,17 2,17 3,10 8,11" -draw "bezier 8,11 9,5 17,5 17,11" \
                   -draw "bezier 17,11 22,11 22,17 17,17" -draw "line 7,17 17,17"
glyph btn_smarteyes -draw "bezier 3,12 8,5 16,5 21,12" -draw "bezier 3,12 8,19 16,19 21,12" \
                   -draw "circle 12,12 14.5,12"
glyph btn_set      -draw "circle 12,12 15,12" -draw "line 12,3 12,6" -draw "line 12,18 12,21" \
                   -draw "line 3,12 6,12" -draw "line 18,12 21,12" -draw "line 6,6 8,8" \
                   -draw "line 16,16 18,18" -draw "line 6,18 8,16" -draw "line 16,8 18,6"

# Logo: a red blade on a dark rounded tile (also the window and tray icon).
"$im" -size 64x64 xc:none -fill "#1B1E25" -draw "roundrectangle 1,1 62,62 12,12" \
  -fill "$accent" -draw "polygon 14,16 50,16 44,26 36,26 30,50 22,50 28,26 20,26" \
  -fill "#FF6A70" -draw "polygon 44,26 50,16 52,20 47,28" "PNG32:logo.png"

# No device: a mouse outline with an unplugged cable.
"$im" -size 120x120 xc:none -stroke "#5A606C" -strokewidth 4 -fill none \
  -draw "roundrectangle 38,34 82,104 22,22" -draw "line 60,34 60,58" \
  -draw "bezier 60,34 60,20 74,22 78,12" -stroke "$accent" -draw "line 84,8 96,20" \
  -draw "line 96,8 84,20" "PNG32:nodevice.png"
