#!/usr/bin/env bash
# Draws the keycaps of the keyboard page's picture (device/family/keyboard_picture.cpp)
# into skin/keyboard/. The PNGs are committed; run this again only to change them.
# Needs ImageMagick 6 (Debian's imagemagick package).
#
# Every picture is one standard key, 24 x 24 at 96 DPI, drawn with
# corner='6,6,6,6' so that the rounded corners and the front skirt keep their
# size on keys of any width or height. A 1 px margin keeps neighbouring caps
# apart.
set -euo pipefail
cd "$(dirname "$0")"
im=$(command -v convert)

# cap NAME SKIRT FACE RIM: the cap seen from above and a little in front:
# the top face fills the cap but for a thin side and the front skirt below it.
cap() {
  "$im" -size 24x24 xc:none \
    -fill "$2" -draw "roundrectangle 1,1 22,22 3,3" \
    -fill "$3" -draw "roundrectangle 2,1 21,17 2,2" \
    -stroke "$4" -strokewidth 1 -draw "line 4,1 19,1" "PNG32:$1.png"
}
cap cap          "#1C1F26"  "#2C313B"  "#3A404C"
cap cap_hot      "#22262E"  "#373D49"  "#4A515F"
cap cap_pushed   "#1C1F26"  "#252931"  "#2C313B"
cap cap_disabled "#181B20"  "#1F232A"  "#23272F"

# The light mark: white, tinted with the key's colour when drawn. It is the
# light from under the cap: strong along the front skirt, faint on the thin
# sides and in the gap around the cap. The top face stays dark, so the
# legend reads in any colour.
"$im" -size 24x24 xc:none \
  -fill "rgba(255,255,255,0.30)" -draw "roundrectangle 0,0 23,23 4,4" \
  -fill "rgba(255,255,255,0.55)" -draw "roundrectangle 1,1 22,22 3,3" \
  -alpha set -channel A -fx "(i>=2 && i<=21 && j>=1 && j<=17) ? 0 : a" +channel \
  -fill "rgba(255,255,255,0.95)" -draw "roundrectangle 1,16 22,22 3,3" \
  -alpha set -channel A -fx "(i>=2 && i<=21 && j>=1 && j<=17) ? 0 : a" +channel \
  "PNG32:glow.png"

# The assignment marks of the key page (each drawn over the whole cap): a dot
# in the top right corner of a key whose assignment differs from its
# default ("key-set"), and a frame around the key being edited ("key-unset").
"$im" -size 24x24 xc:none -fill "#E8A23C" -draw "circle 18,5 20,5" "PNG32:key_set.png"
"$im" -size 24x24 xc:none -fill none -stroke "#E0404F" -strokewidth 2 \
  -draw "roundrectangle 1,1 22,22 4,4" "PNG32:key_unset.png"
