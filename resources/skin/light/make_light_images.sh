#!/usr/bin/env bash
# Draws the pictures of the lighting page (XML/CustomControlXML/LightControl.xml)
# into skin/light/. The PNGs are committed; run this again only to change them.
# Needs ImageMagick 6 (Debian's imagemagick package).
set -euo pipefail
cd "$(dirname "$0")"
im=/usr/bin/convert
accent="#E8343E"
track="#3A3F4B"

# Slider track and its filled part: 40 x 18 at 96 DPI, drawn with
# corner='8,0,8,0' so the rounded ends keep their size. The bar runs from the
# centre of the thumb at 0 to its centre at the maximum (thumb 14 px wide).
"$im" -size 40x18 xc:none -fill "$track" -draw "roundrectangle 5,7 34,10 2,2" "PNG32:track.png"
"$im" -size 40x18 xc:none -fill "$accent" -draw "roundrectangle 5,7 34,10 2,2" "PNG32:track_fill.png"

# Slider thumb (drawn at twice the size for high DPI).
"$im" -size 28x28 xc:none -fill "#E8E8EC" -stroke "$accent" -strokewidth 4 \
  -draw "circle 14,14 14,3" "PNG32:thumb.png"

# Direction options, off and on (twice the size).
"$im" -size 32x32 xc:none -fill "#262A33" -stroke "#5A606C" -strokewidth 2 \
  -draw "circle 16,16 16,3" "PNG32:radio_off.png"
"$im" -size 32x32 xc:none -fill "#262A33" -stroke "$accent" -strokewidth 3 \
  -draw "circle 16,16 16,3" -fill "$accent" -stroke none -draw "circle 16,16 16,9" "PNG32:radio_on.png"

# Colour slots: the ring under the mouse and the veil over a disabled slot.
"$im" -size 44x44 xc:none -fill none -stroke "#14161B" -strokewidth 2 \
  -draw "rectangle 1,1 42,42" -stroke "#FFFFFF" -strokewidth 3 \
  -draw "rectangle 4,4 39,39" "PNG32:slot_hot.png"
"$im" -size 8x8 xc:"rgba(27,30,37,0.75)" "PNG32:slot_disabled.png"

# The mark on the current-colour button that opens the colour picker: a
# pipette on a dark disc.
"$im" -size 40x40 xc:none -fill "rgba(20,22,27,0.8)" -draw "circle 20,20 20,2" \
  -stroke "#FFFFFF" -strokewidth 3.5 -draw "line 12,28 24,16" \
  -fill "#FFFFFF" -stroke none -draw "roundrectangle 22,10 30,18 3,3" \
  -draw "polygon 26,8 32,14 28,18 22,12" "PNG32:pick.png"

# Disabled look of the direction options and the check boxes.
"$im" -size 32x32 xc:none -fill "#1F2229" -stroke "#3A3F4B" -strokewidth 2 \
  -draw "circle 16,16 16,3" "PNG32:radio_off_disabled.png"
"$im" -size 32x32 xc:none -fill "#1F2229" -stroke "#5A3036" -strokewidth 3 \
  -draw "circle 16,16 16,3" -fill "#5A3036" -stroke none -draw "circle 16,16 16,9" "PNG32:radio_on_disabled.png"
"$im" -size 32x32 xc:none -fill "#1F2229" -stroke "#3A3F4B" -strokewidth 2 \
  -draw "roundrectangle 2,2 29,29 6,6" "PNG32:check_off_disabled.png"
"$im" -size 32x32 xc:none -fill "#5A3036" -stroke "#5A3036" -strokewidth 2 \
  -draw "roundrectangle 2,2 29,29 6,6" -fill none -stroke "#8A909C" -strokewidth 4 \
  -draw "polyline 8,16 14,22 24,10" "PNG32:check_on_disabled.png"

# The chosen one of the two music colour options, usable and not.
"$im" -size 8x8 xc:"$accent" "PNG32:segment_on.png"
"$im" -size 8x8 xc:"#5A3036" "PNG32:segment_on_disabled.png"
