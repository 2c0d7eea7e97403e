#!/usr/bin/env bash
# Draws the glyphs of the profile bar (XML/CustomControlXML/DeviceProfile.xml)
# into skin/profile/. The PNGs are committed; run this again only to change
# them. Needs ImageMagick 6 (Debian's imagemagick package).
set -euo pipefail
cd "$(dirname "$0")/profile"
im=/usr/bin/convert
fg="#C8CCD4"   # glyph colour on the dark bar
accent="#E8343E"
s=20           # glyph size at 96 DPI

glyph() {  # glyph NAME DRAW-ARGS...
  local name=$1; shift
  "$im" -size ${s}x${s} xc:none -stroke "$fg" -strokewidth 1.6 -fill none "$@" "PNG32:$name.png"
}

glyph profile  -draw "polyline 5,3 12,3 16,7 16,17 5,17 5,3" -draw "polyline 12,3 12,7 16,7" \
               -draw "line 8,11 13,11" -draw "line 8,14 13,14"
glyph more     -fill "$fg" -stroke none -draw "circle 5,10 6.5,10" -draw "circle 10,10 11.5,10" \
               -draw "circle 15,10 16.5,10"
glyph add      -draw "line 10,4 10,16" -draw "line 4,10 16,10"
glyph copy     -draw "rectangle 7,7 16,16" -draw "polyline 4,13 4,4 13,4"
glyph delete   -draw "line 4,6 16,6" -draw "polyline 8,6 8,3 12,3 12,6" \
               -draw "polyline 6,6 7,17 13,17 14,6" -draw "line 10,9 10,14"
glyph save     -strokewidth 2 -draw "polyline 4,10 8,14 16,5"
glyph import   -draw "line 10,3 10,12" -draw "polyline 6,8 10,12 14,8" \
               -draw "polyline 4,13 4,17 16,17 16,13"
glyph export   -draw "line 10,12 10,3" -draw "polyline 6,7 10,3 14,7" \
               -draw "polyline 4,13 4,17 16,17 16,13"
glyph reset    -draw "arc 4,4 16,16 200,520" -draw "polyline 3,5 4,9 8,8"

# The mark under the selected feature tab.
"$im" -size 40x2 xc:"$accent" "PNG32:tab_mark.png"
