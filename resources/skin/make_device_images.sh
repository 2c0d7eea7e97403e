#!/usr/bin/env bash
# Draws the device list's pictures: the tiles of every device kind (plain and
# synchronised, normal and selected) and the synchronisation check box into
# skin/common/device_ico/, and the power indicator's pictures (charging
# states, wireless mark, battery bar, phones on the charger) into skin/power/.
# The PNGs are committed; run this again only to change them.
# Needs ImageMagick 6 (Debian's imagemagick package).
set -euo pipefail
skin="$(cd "$(dirname "$0")" && pwd)"
im=/usr/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fg="#C8CCD4"       # glyphs on the dark background
dim="#5A606C"      # glyphs of things that are absent
accent="#E8343E"
tile_bg="#1F232B"
tile_line="#2A2E38"
well_bg="#171A20"  # the square behind an icon
sel_bg="#2B1C21"   # a selected tile: the background tinted with the accent
charge="#4CC38A"   # the battery's charge

# ---------------------------------------------------------------- device icons
# Draw arguments that paint a chain of cubic curves "x0,y0 c1 c2 p1 c1 c2 p2
# …" with a round brush of radius R: ImageMagick 6 fills the inside of thick
# stroked curves that bend back on themselves.
brush() {  # brush R POINTS...
  local r=$1; shift
  awk -v r="$r" -v p="$*" 'BEGIN {
    n = split(p, a, /[ ,]+/)
    for (s = 1; s + 7 <= n; s += 6)
      for (i = 0; i <= 40; i++) {
        t = i / 40; u = 1 - t
        x = u*u*u*a[s] + 3*u*u*t*a[s+2] + 3*u*t*t*a[s+4] + t*t*t*a[s+6]
        y = u*u*u*a[s+1] + 3*u*u*t*a[s+3] + 3*u*t*t*a[s+5] + t*t*t*a[s+7]
        printf "circle %.2f,%.2f %.2f,%.2f ", x, y, x + r, y
      }
  }'
}

# Each icon is a 48 x 48 white glyph on transparent ground, coloured later.
icon() {  # icon NAME DRAW-ARGS...
  local name=$1; shift
  "$im" -size 48x48 xc:none -stroke white -strokewidth 3 -fill none \
    -draw "stroke-linecap round stroke-linejoin round" "$@" "PNG32:$work/$name.png"
  # The same glyph four times as large, for the device pages' pictures.
  "$im" -size 192x192 xc:none -affine 4,0,0,4,0,0 -stroke white -strokewidth 3 -fill none \
    -draw "stroke-linecap round stroke-linejoin round" "$@" "PNG32:$work/${name}_big.png"
}

icon kb     -draw "roundrectangle 3,13 44,36 4,4" -stroke none -fill white \
            -draw "rectangle 8,18 11,21" -draw "rectangle 14,18 17,21" -draw "rectangle 20,18 23,21" \
            -draw "rectangle 26,18 29,21" -draw "rectangle 32,18 35,21" -draw "rectangle 38,18 40,21" \
            -draw "rectangle 8,24 11,27" -draw "rectangle 14,24 17,27" -draw "rectangle 20,24 23,27" \
            -draw "rectangle 26,24 29,27" -draw "rectangle 32,24 35,27" -draw "rectangle 38,24 40,27" \
            -draw "rectangle 14,30 33,32"
icon ms     -draw "roundrectangle 13,5 35,43 11,11" -draw "line 24,6 24,19" -draw "line 14,19 34,19" \
            -stroke none -fill white -draw "roundrectangle 22,9 26,15 2,2"
# Both pads carry a small mouse. Hard pad: a rigid plate with sharp corners,
# a glossy streak and a light strip along its front edge.
icon hard_mp -draw "polygon 9,12 39,12 45,35 3,35" -draw "line 4,41 44,41" \
            -strokewidth 2 -draw "line 11,30 17,18" -stroke none -fill white \
            -draw "ellipse 30,23 5,7.5 0,360"
# Soft pad: cloth with rounded corners and a woven texture.
icon soft_mp -draw "roundrectangle 3,11 44,38 9,9" -strokewidth 2 \
            -draw "path 'M 9,22 Q 12,19 15,22 T 21,22'" \
            -draw "path 'M 9,29 Q 12,26 15,29 T 21,29'" -stroke none -fill white \
            -draw "ellipse 31,24 5,7.5 0,360"
icon hd     -draw "path 'M 9,28 C 9,6 39,6 39,28'" -draw "roundrectangle 5,25 13,39 3,3" \
            -draw "roundrectangle 35,25 43,39 3,3" -strokewidth 2 -draw "path 'M 9,39 Q 10,45 20,44'" \
            -stroke none -fill white -draw "circle 21,44 23,44"
icon hub    -draw "roundrectangle 8,18 40,32 4,4" -draw "line 24,32 24,43" \
            -stroke none -fill white -draw "rectangle 12,23 17,27" -draw "rectangle 21,23 26,27" \
            -draw "rectangle 30,23 35,27" -stroke white -strokewidth 2 -fill none \
            -draw "line 14,18 14,9" -draw "line 24,18 24,6" -draw "line 34,18 34,9"
icon unknow -draw "circle 24,24 24,4" -stroke none -fill white \
            -draw "$(brush 2 16,18 16,7 33,7 32,17 31,22 24,22 24,28)" -draw "circle 24,35 26.5,35"

# The synchronisation badge: two chain links on a round plate, drawn at four
# times the size and scaled down for smooth edges.
links() {  # links OUT SIZE COLOUR: a 4x chain-link glyph for a SIZE x SIZE picture
  local c=$(( $2 * 2 ))
  "$im" -size $(( $2 * 4 ))x$(( $2 * 4 )) xc:none -fill none -stroke "$3" -strokewidth 6 \
    -draw "roundrectangle $(( c - 26 )),$(( c - 9 )) $(( c + 4 )),$(( c + 9 )) 9,9" \
    -draw "roundrectangle $(( c - 4 )),$(( c - 9 )) $(( c + 26 )),$(( c + 9 )) 9,9" \
    -distort SRT -40 "PNG32:$1"
}
badge() {  # badge NAME PLATE LINKS
  links "$work/links.png" 22 "$3"
  "$im" -size 88x88 xc:none -fill "$2" -stroke "$well_bg" -strokewidth 6 -draw "circle 44,44 44,4" \
    "$work/links.png" -composite -resize 22x22 "PNG32:$work/$1.png"
}
badge badge_normal "$fg" "$well_bg"
badge badge_selected "#FFFFFF" "$accent"

# ------------------------------------------------------------------- the tiles
# 200 x 64: a rounded plate, the icon in a 48 x 48 well at 8,8 and room for
# the name to its right. Layouts keep the left 64 pixels unscaled.
plate() {  # plate OUT FILL LINE WELL [EXTRA-DRAW-ARGS...]
  local out=$1 fill=$2 line=$3 well=$4; shift 4
  "$im" -size 200x64 xc:none -fill "$fill" -stroke "$line" -strokewidth 1 \
    -draw "roundrectangle 0.5,0.5 199.5,63.5 8,8" -stroke none -fill "$well" \
    -draw "roundrectangle 8,8 55,55 6,6" "$@" "PNG32:$out"
}
plate "$work/plate_normal.png" "$tile_bg" "$tile_line" "$well_bg"
plate "$work/plate_selected.png" "$sel_bg" "$accent" "$accent" -fill "$accent" \
  -draw "roundrectangle 0,12 3,51 1,1"

tinted() {  # tinted GLYPH COLOUR OUT
  "$im" "$work/$1.png" -fill "$2" -colorize 100 "PNG32:$3"
}

tile() {  # tile PREFIX GLYPH
  local out="$skin/common/device_ico/$1" glyph=$2
  tinted "$glyph" "$fg" "$work/g_normal.png"
  tinted "$glyph" "#FFFFFF" "$work/g_selected.png"
  for state in normal selected; do
    "$im" "$work/plate_$state.png" "$work/g_$state.png" -geometry +8+8 -composite \
      "PNG32:${out}${state}.png"
    "$im" "${out}${state}.png" "$work/badge_$state.png" -geometry +42+1 -composite \
      "PNG32:${out}synchro_${state}.png"
  done
}

mkdir -p "$skin/common/device_ico" "$skin/power"
tile kb_device_ kb
tile ms_device_ ms
tile hard_mp_device_ hard_mp
tile soft_mp_device_ soft_mp
tile hd_device_ hd
tile hub_device_ hub
tile unknow_device_ unknow

# The synchronisation check box, 20 x 20: off, hovered, on.
check() {  # check NAME PLATE LINE LINKS
  links "$work/check_links.png" 20 "$4"
  "$im" -size 80x80 xc:none -fill "$2" -stroke "$3" -strokewidth 4 \
    -draw "roundrectangle 2,2 77,77 16,16" "$work/check_links.png" -composite -resize 20x20 \
    "PNG32:$skin/common/device_ico/$1.png"
}
check synchro_off "$well_bg" "$tile_line" "#8A909C"
check synchro_hot "$well_bg" "$fg" "$fg"
check synchro_on "$accent" "$accent" "#FFFFFF"

# ------------------------------------------------------------- power indicator
cd "$skin/power"
small() {  # small NAME DRAW-ARGS... (24 x 24)
  local name=$1; shift
  "$im" -size 24x24 xc:none -strokewidth 2 -draw "stroke-linecap round stroke-linejoin round" \
    "$@" "PNG32:$name.png"
}
# Full (on the charger, charged): a full battery.
small powered -stroke "$charge" -fill none -draw "roundrectangle 2,7 19,17 2,2" \
  -stroke none -fill "$charge" -draw "rectangle 20,10 22,14" -draw "rectangle 5,10 16,14"
# Charging: a lightning bolt.
small powering -stroke none -fill "$charge" -draw "polygon 13,2 5,13 11,13 9,22 19,9 13,9 16,2"
# On battery: a battery half full.
small power -stroke "$fg" -fill none -draw "roundrectangle 2,7 19,17 2,2" \
  -stroke none -fill "$fg" -draw "rectangle 20,10 22,14" -draw "rectangle 5,10 10,14"
# Wireless mark: radio waves over a dot.
small wireless -stroke "$fg" -fill none -draw "path 'M 4,10 Q 12,2 20,10'" \
  -draw "path 'M 7.5,13.5 Q 12,9 16.5,13.5'" -stroke none -fill "$fg" -draw "circle 12,18 14,18"

# The battery bar, 140 x 18, pointing left: the charge (the bar's background)
# sits at the right, the spent part (revealed from the left) grows from the
# terminal.
battery() {  # battery NAME FILL
  "$im" -size 140x18 xc:none -fill "$fg" -stroke none -draw "roundrectangle 0,5 5,12 1,1" \
    -fill none -stroke "$fg" -strokewidth 2 -draw "roundrectangle 6,1 138,16 3,3" \
    -stroke none -fill "$2" -draw "roundrectangle 9,4 135,13 1,1" "PNG32:$1.png"
}
battery battery_full "$charge"
battery battery_empty "$tile_line"

# Phones on the charger, 36 x 56.
phone() {  # phone NAME COLOUR DRAW-ARGS...
  local name=$1 colour=$2; shift 2
  "$im" -size 36x56 xc:none -stroke "$colour" -strokewidth 2 -fill none \
    -draw "roundrectangle 4,2 31,53 6,6" "$@" "PNG32:$name.png"
}
# iPhone: a notch at the top.
phone Phone_type_iphone "$fg" -stroke none -fill "$fg" -draw "roundrectangle 12,3 23,7 2,2" \
  -fill "$charge" -draw "polygon 19,19 12,30 17,30 15,39 23,27 18,27 21,19"
# Samsung: a punch-hole camera and thin edges.
phone Phone_type_samsung "$fg" -stroke none -fill "$fg" -draw "circle 18,7 19.5,7" \
  -fill "$charge" -draw "polygon 19,19 12,30 17,30 15,39 23,27 18,27 21,19"
# Any other phone: a plain screen with a home button.
phone Phone_type_other "$fg" -draw "line 8,8 27,8" -draw "line 8,44 27,44" \
  -stroke none -fill "$fg" -draw "circle 18,49 19.5,49" \
  -fill "$charge" -draw "polygon 19,16 12,27 17,27 15,36 23,24 18,24 21,16"
# No phone: a dim outline, struck through.
phone Phone_type_no_device "$dim" -stroke "$dim" -draw "line 2,52 34,4"

# The device pages' pictures, 240 x 240: the glyph on a soft accent glow.
mkdir -p "$skin/common/device_pic"
for glyph in kb ms hard_mp soft_mp hd hub unknow; do
  "$im" -size 240x240 radial-gradient:"#3A1F26"-"#14161B00" \
    \( "$work/${glyph}_big.png" -fill "$fg" -colorize 100 \) -gravity center -composite \
    "PNG32:$skin/common/device_pic/$glyph.png"
done
