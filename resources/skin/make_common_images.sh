#!/usr/bin/env bash
# Draws the pictures of the skin picker and the colour picker into
# skin/common/: the default background, the background skins under
# common/skin/, the seven-colour preview, the slot selection ring, the check
# box and the custom-skin tile. The PNGs are committed; run this again only to
# change them. Needs ImageMagick 6 (Debian's imagemagick package).
set -euo pipefail
cd "$(dirname "$0")/common"
im=/usr/bin/convert
w=1000; h=640   # the main window's layout size at 96 DPI

tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

# glow NAME COLOUR RADIUS X Y: a soft round light centred at X,Y, as a
# full-size layer $tmp/NAME.miff.
glow() {
  local r=$3 d=$(( $3 * 2 ))
  "$im" -size ${w}x${h} xc:black \( -size ${d}x${d} radial-gradient:"$2"-black \) \
    -geometry "$(printf '%+d%+d' $(( $4 - r )) $(( $5 - r )))" -compose over -composite "$tmp/$1.miff"
}

# background OUT TOP BOTTOM GLOW...: a vertical gradient lit by the glows.
background() {
  local out=$1 top=$2 bottom=$3; shift 3
  local layers=()
  for g in "$@"; do layers+=("$tmp/$g.miff" -compose screen -composite); done
  "$im" -size ${w}x${h} gradient:"$top"-"$bottom" "${layers[@]}" -depth 8 -strip "PNG24:$out"
}

# The default: the main window's own dark, with a faint light from the top left.
glow soft "#1E222B" 700 120 0
background background.png "#1A1D24" "#111318" soft

# Ember: the accent red smouldering in the lower right corner.
glow ember "#5C1519" 620 920 700; glow warm "#24100F" 420 80 80
background skin/ember.png "#15161B" "#0F1014" ember warm

# Aurora: teal and green veils over a night blue.
glow teal "#0F4A48" 560 250 620; glow green "#16402A" 480 760 -80; glow navy "#102A44" 380 980 420
background skin/aurora.png "#0E1620" "#0A0E14" teal green navy

# Dusk: violet fading into deep blue, light from the top.
glow violet "#3A1E3A" 640 500 -160
background skin/dusk.png "#2A1838" "#0C1020" violet

# Ocean: a deep blue well of light.
glow deep "#123A66" 700 560 760
background skin/ocean.png "#0A1220" "#070B12" deep

# Slate: blue-grey light falling in from the upper left.
glow slate "#26303C" 760 -60 -60
background skin/slate.png "#181C22" "#0D0F13" slate

# Carbon: a fine diagonal weave on graphite, darker towards the edges.
"$im" -size 8x8 xc:"#16181C" -fill "#20232A" -draw "polygon 0,0 4,0 8,4 8,8 4,8 0,4" \
  -stroke "#0F1114" -draw "line 0,7 7,0" "$tmp/weave.miff"
"$im" -size ${w}x${h} tile:"$tmp/weave.miff" \
  \( -size ${w}x${h} radial-gradient:"#FFFFFF"-"#6A6A6A" \) -compose multiply -composite \
  -depth 8 -strip "PNG24:skin/carbon.png"

# Graphite: a faint dot grid over a cool grey.
"$im" -size 16x16 xc:"#16181D" -fill "#292D35" -draw "circle 8,8 9,8" "$tmp/dot.miff"
"$im" -size ${w}x${h} tile:"$tmp/dot.miff" \
  \( -size ${w}x${h} gradient:"#FFFFFF"-"#8A8A8A" \) -compose multiply -composite \
  -depth 8 -strip "PNG24:skin/graphite.png"

# Seven colours: the preview picture of the seven-colour choice.
"$im" -size 7x1 xc: -fx "i==0?rgb(255,0,0):i==1?rgb(255,127,0):i==2?rgb(255,230,0):i==3?rgb(0,220,0):i==4?rgb(0,200,255):i==5?rgb(30,60,255):rgb(160,0,255)" \
  -filter triangle -resize 320x120\! "PNG24:base1.png"

# The ring around the selected colour slot (drawn over the slot's colour).
"$im" -size 40x40 xc:none -fill none -stroke "#14161B" -strokewidth 2 -draw "rectangle 1,1 38,38" \
  -stroke "#FFFFFF" -strokewidth 4 -draw "rectangle 4,4 35,35" "PNG32:slot_selected.png"

# Check box, off and on (drawn at twice the size for high DPI).
"$im" -size 32x32 xc:none -fill "#262A33" -stroke "#5A606C" -strokewidth 2 \
  -draw "roundrectangle 2,2 29,29 6,6" "PNG32:check_off.png"
"$im" -size 32x32 xc:none -fill "#E8343E" -stroke "#E8343E" -strokewidth 2 \
  -draw "roundrectangle 2,2 29,29 6,6" -fill none -stroke white -strokewidth 4 \
  -draw "polyline 8,16 14,22 24,10" "PNG32:check_on.png"

# The custom skin tile: a picture frame with a plus.
"$im" -size 192x122 xc:none -fill none -stroke "#4A505C" -strokewidth 2 \
  -draw "roundrectangle 1,1 190,120 8,8" -stroke "#8A909C" -strokewidth 4 \
  -draw "line 96,40 96,82" -draw "line 75,61 117,61" "PNG32:skin_custom.png"

# The accent line under the selected tab of the skin picker.
"$im" -size 48x2 xc:"#E8343E" "PNG24:tab_selected.png"
