#!/usr/bin/env bash
# Draws the mouse page's picture (device/family/mouse_picture.cpp) into
# resources/skin/mouse/, and the DPI stage sliders' thumbs into
# resources/skin/Control/. The PNGs are committed; run this again only to
# change them:   scripts/make_mouse_picture.sh
# Needs ImageMagick 6 (Debian's imagemagick package) and awk.
#
# The mouse is seen from above, front up, 152 x 228 px at 96 DPI. Everything
# is drawn four times as large and scaled down, for smooth edges. All
# coordinates below are picture pixels; the button rectangles and LED
# rectangles in mouse_picture.cpp must hold the shapes drawn here (each
# button's overlays are cut out of the overlay pictures by its rectangle).
#
# Files:
#   mouse.png         the mouse
#   mouse_hot.png     every button lit as under the pointer
#   mouse_pushed.png  every button pressed
#   mouse_edit.png    every button framed as the key being edited
#   mouse_set.png     every button's mark for an assignment that differs from
#                     its default (a dot, as on the keyboard's keys)
#   mouse_leds.png    the 15 LEDs as white light, tinted by the page
#   anchor.png        the end of a callout's leader line on its button
#   backdrop.png      the faint glow behind the mouse
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/resources/skin/mouse"
thumbs="$root/resources/skin/Control"
mkdir -p "$out" "$thumbs"
im=$(command -v convert)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

W=152 H=228 S=4                       # picture size and drawing scale
big="$((W * S))x$((H * S))"
scale=(-affine "$S,0,0,$S,0,0")
accent="#E8343E"
amber="#E8A23C"

# ------------------------------------------------------------------ geometry
# The shell: narrow at the front, a thumb groove on the left, a wide rear.
BODY="M 76,4 C 98,4 114,9 121,20 C 129,34 131,56 132,80 C 133,104 139,134 139,162
      C 139,196 118,225 76,225 C 36,225 12,200 12,170 C 12,150 22,132 22,114
      C 22,98 18,84 20,64 C 22,42 24,28 31,19 C 39,8 56,4 76,4 Z"

# The arc where the buttons end and the palm begins: y = 94 + 40 t (1 - t),
# t = (x - 10) / 132 (104 at the centre line).
arc() {  # arc X0 X1: points along the arc from x = X0 to x = X1
  awk -v a="$1" -v b="$2" 'BEGIN { for (i = 0; i <= 24; i++) { x = a + (b - a) * i / 24
    t = (x - 10) / 132; printf "%.2f,%.2f ", x, 94 + 40 * t * (1 - t) } }'
}
# The two main buttons and the strip left of the left button (fire and mode
# buttons), each down to the arc; the shell's outline trims them.
LEFT_BUTTON="polygon 38,0 67,0 $(arc 67 38)"
RIGHT_BUTTON="polygon 85,0 150,0 $(arc 150 85)"
WING="polygon 0,0 38,0 $(arc 38 0)"

# Small buttons (x0,y0 x1,y1 corner radius): the wheel in the channel between
# the main buttons, DPI + and - behind it, the DPI cycle button at the
# channel's end, fire and mode buttons on the strip.
WHEEL="roundrectangle 70,20 82,54 5,5"
RIDGES=$(for y in 23 26 29 32 35 38 41 44 47 50; do echo "rectangle 70.5,$y 81.5,$((y + 1))"; done)
DPI_UP="roundrectangle 71,60 81,69 2.5,2.5"
DPI_DOWN="roundrectangle 71,73 81,82 2.5,2.5"
DPI_CYCLE="circle 76,93 76,98.5"
FIRE="roundrectangle 29,30 36,48 3,3"
MODE="roundrectangle 29,54 36,68 3,3"
# Side buttons on the thumb side, over the outline: sniper (DPI shift) in
# front, then forward and back. Drawn as round-ended strokes 7 px wide.
SNIPER="line 20.5,79 20,95"
FORWARD="line 22,109 21.6,124"
BACK="line 20,134 16.8,149"

# Each key's area as its overlays show it, by key number (the mouse's standard
# functions: 0 left, 1 right, 2 wheel, 3 forward, 4 back, 5 DPI +, 6 DPI -,
# 7 DPI cycle, 8 mode, 9 sniper, 10 fire), and the dot that marks a changed
# assignment at its top right. The main buttons' areas stop a little inside
# the outline and the channel (trimmed by "inside" below).
SIDE="-stroke white -strokewidth 7 -draw"
AREA=(
  "-draw|polygon 39.2,0 65.8,0 $(arc 65.8 39.2)"
  "-draw|polygon 86.2,0 150,0 $(arc 150 86.2)"
  "-draw|$WHEEL"
  "$SIDE|stroke-linecap round $FORWARD"
  "$SIDE|stroke-linecap round $BACK"
  "-draw|$DPI_UP"
  "-draw|$DPI_DOWN"
  "-draw|$DPI_CYCLE"
  "-draw|$MODE"
  "$SIDE|stroke-linecap round $SNIPER"
  "-draw|$FIRE"
)
DOT=("61,15 63.5,15" "112,15 114.5,15" "80,23 82,23" "24,109 25.6,109" "22,134 23.6,134"
     "79.5,62 81,62" "79.5,75 81,75" "80,89 81.6,89" "34.5,56 36.1,56" "22.5,79 24.1,79"
     "34.5,32 36.1,32")

# The LEDs: a ring of 15 short segments along an ellipse around the palm
# (centre 76,150, half axes 52 and 68): 0 to 6 down the left side, 14 at the
# back, 7 to 13 up the right side; LED n and 13 - n face each other, as the
# lighting groups pair them.
LED_ANGLES=(202 186 170 154 138 122 106 74 58 42 26 10 -6 -22 90)
led() {  # led N WIDTH: LED N as a band WIDTH px wide with round ends
  awk -v c="${LED_ANGLES[$1]}" -v w="$2" 'BEGIN { pi = atan2(0, -1); h = w / 2
    for (i = 0; i <= 8; i++) { a = (c - 5.5 + 11 * i / 8) * pi / 180
      x[i] = 76 + 52 * cos(a); y[i] = 150 + 68 * sin(a)
      nx = 68 * cos(a); ny = 52 * sin(a); n = sqrt(nx * nx + ny * ny)
      ox[i] = h * nx / n; oy[i] = h * ny / n }
    printf "polygon "
    for (i = 0; i <= 8; i++) printf "%.2f,%.2f ", x[i] + ox[i], y[i] + oy[i]
    for (i = 8; i >= 0; i--) printf "%.2f,%.2f ", x[i] - ox[i], y[i] - oy[i]
    printf "circle %.2f,%.2f %.2f,%.2f ", x[0], y[0], x[0] + h, y[0]
    printf "circle %.2f,%.2f %.2f,%.2f ", x[8], y[8], x[8] + h, y[8] }'
}
leds() {  # leds WIDTH: all 15
  local n all=""
  for n in $(seq 0 14); do all+="$(led "$n" "$1")"; done
  echo "$all"
}

# ------------------------------------------------------------------ the mouse
shrink() { "$im" "$1" -filter Lanczos -resize "${W}x${H}" "PNG32:$2"; }

# The shell's mask, and its edge darkened inside for a little roundness.
"$im" -size "$big" xc:none "${scale[@]}" -fill white -draw "path '$BODY'" "$work/mask.png"
"$im" "$work/mask.png" -alpha extract -blur 0x28 +level 72%,100% "$work/shade.png"

# The top: palm, the main buttons, the strip, the channel, then the small
# buttons with their marks; shaded, then trimmed to the shell.
"$im" -size "$big" xc:"#252930" "${scale[@]}" \
  -fill "#2D323C" -draw "$LEFT_BUTTON" -draw "$RIGHT_BUTTON" \
  -fill "#2A2E37" -draw "$WING" \
  -fill "#16181D" -draw "roundrectangle 67,-10 85,106 9,9" \
  -stroke "#121419" -strokewidth 1.1 -fill none \
  -draw "line 38,0 38,100.7" -draw "polyline $(arc 0 67)" -draw "polyline $(arc 85 150)" \
  -stroke none -fill "#3C424E" -draw "$WHEEL" \
  -fill "#2B3039" -draw "$RIDGES" \
  -fill "rgba(255,255,255,0.10)" -draw "roundrectangle 72,21 75,53 1.5,1.5" \
  -fill "#363C47" -draw "$DPI_UP" -draw "$DPI_DOWN" -draw "$DPI_CYCLE" -draw "$MODE" \
  -fill none -stroke "#9AA0AC" -strokewidth 0.9 \
  -draw "line 74,64.5 78,64.5" -draw "line 76,62.5 76,66.5" -draw "line 74,77.5 78,77.5" \
  -stroke "$accent" -strokewidth 1 -draw "circle 76,93 76,96" \
  -stroke none -fill "#9AA0AC" -draw "circle 32.5,61 32.5,62.2" \
  -stroke none -fill "#B8262F" -draw "$FIRE" -fill "$accent" -draw "roundrectangle 30,31 35,39 2,2" \
  -fill "#14161A" -draw "$(leds 3.4)" \
  "$work/top.png"
"$im" -size "$big" xc:none "${scale[@]}" -fill "rgba(255,255,255,0.07)" -draw "ellipse 76,140 34,50 0,360" \
  -blur 0x40 "$work/sheen.png"
"$im" "$work/top.png" "$work/sheen.png" -compose Over -composite \
  "$work/shade.png" -compose Multiply -composite \
  "$work/mask.png" -compose DstIn -composite "$work/top_cut.png"

# The rim, a faint shadow on the ground, then the side buttons over the rim.
"$im" -size "$big" xc:none \
  \( "$work/mask.png" -fill black -colorize 100 -channel A -evaluate multiply 0.55 +channel \
     -blur 0x14 -geometry +0+10 \) -compose Over -composite \
  "$work/top_cut.png" -compose Over -composite \
  "${scale[@]}" -fill none -stroke "#4A505C" -strokewidth 1 -draw "path '$BODY'" \
  -stroke "#0E1013" -strokewidth 8.6 -draw "stroke-linecap round $SNIPER $FORWARD $BACK" \
  -stroke "#3E4451" -strokewidth 6.4 -draw "stroke-linecap round $SNIPER $FORWARD $BACK" \
  -stroke "#4E5562" -strokewidth 1.4 \
  -draw "stroke-linecap round line 19.2,80 18.8,94 line 20.6,110 20.3,123 line 18.6,135 15.8,148" \
  "$work/mouse_big.png"
shrink "$work/mouse_big.png" "$out/mouse.png"

# ------------------------------------------------------------------ overlays
"$im" -size "$big" xc:none "${scale[@]}" -fill white -draw "path '$BODY'" \
  -morphology Erode Disk:5 "$work/inside.png"
area() {  # area KEY: the key's area in white on a transparent picture
  local how=${AREA[$1]%%|*} what=${AREA[$1]#*|}
  # shellcheck disable=SC2086 # $how is an option list
  "$im" -size "$big" xc:none "${scale[@]}" -fill white $how "$what" "$work/area$1.png"
  if [ "$1" -le 1 ]; then
    "$im" "$work/area$1.png" "$work/inside.png" -compose DstIn -composite "$work/area$1.png"
  fi
}
for k in $(seq 0 10); do area "$k"; done
"$im" "$work"/area{0..10}.png -background none -flatten -alpha extract "$work/areas.png"

overlay() {  # overlay FILE FILL FILL-OPACITY EDGE EDGE-OPACITY EDGE-WIDTH: every key alike
  "$im" "$work/areas.png" \( +clone -morphology Erode "Disk:$6" \) -compose Difference -composite \
    "$work/edges.png"
  "$im" \( -size "$big" xc:"$2" \( "$work/areas.png" -evaluate multiply "$3" \) \
           -alpha off -compose CopyOpacity -composite \) \
        \( -size "$big" xc:"$4" \( "$work/edges.png" -evaluate multiply "$5" \) \
           -alpha off -compose CopyOpacity -composite \) \
        -compose Over -composite "$work/overlay.png"
  shrink "$work/overlay.png" "$out/$1"
}
overlay mouse_hot.png white 0.10 white 0.30 4
overlay mouse_pushed.png white 0.18 white 0.35 4
overlay mouse_edit.png "$accent" 0.22 "$accent" 1 7

dot() { echo "circle ${DOT[$1]}"; }
"$im" -size "$big" xc:none "${scale[@]}" -fill "$amber" -stroke "#14161B" -strokewidth 0.8 \
  -draw "$(for k in $(seq 0 10); do dot "$k"; done)" "$work/set.png"
shrink "$work/set.png" "$out/mouse_set.png"

# The LEDs' light: the segment itself and a halo around it.
"$im" -size "$big" xc:none "${scale[@]}" -fill "rgba(255,255,255,0.55)" -draw "$(leds 5)" -blur 0x7 \
  -fill white -draw "$(leds 2.4)" "$work/leds.png"
shrink "$work/leds.png" "$out/mouse_leds.png"

# ------------------------------------------------------------------ page parts
"$im" -size 28x28 xc:none -fill "#E8E8EC" -stroke "#14161B" -strokewidth 3 \
  -draw "circle 14,14 14,5" -resize 7x7 "PNG32:$out/anchor.png"
"$im" -size 300x234 "radial-gradient:rgba(232,52,62,0.16)-rgba(232,52,62,0)" \
  "PNG32:$out/backdrop.png"

# The DPI stage sliders' thumbs (twice the size, as the lighting page's): the
# active stage's in the accent colour, the others grey.
"$im" -size 28x28 xc:none -fill "#E8E8EC" -stroke "$accent" -strokewidth 4 \
  -draw "circle 14,14 14,3" "PNG32:$thumbs/SliderBar1_Thumb.png"
"$im" -size 28x28 xc:none -fill "#8A909C" -stroke "#3A3F4B" -strokewidth 4 \
  -draw "circle 14,14 14,3" "PNG32:$thumbs/SliderBar2_Thumb.png"

# The same pixels give the same files: no dates in them.
for f in "$out"/*.png "$thumbs"/SliderBar*_Thumb.png; do
  "$im" "$f" -define png:exclude-chunk=date,time,tIME "PNG32:$f"
done

# The rectangles mouse_picture.cpp needs, as width x height + left + top in
# picture pixels: each key's area with its dot, each LED's light.
for k in $(seq 0 10); do
  "$im" "$work/area$k.png" "${scale[@]}" -fill white -draw "$(dot "$k")" -resize "${W}x${H}" \
    -format "key $k: %@\n" info:
done
for n in $(seq 0 14); do
  "$im" -size "$big" xc:none "${scale[@]}" -fill white -draw "$(led "$n" 5)" -resize "${W}x${H}" \
    -format "led $n: %@\n" info:
done
