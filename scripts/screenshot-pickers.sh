#!/usr/bin/env bash
# Screenshots of the colour picker and the skin picker, taken under Xvfb with
# a private data folder, for docs/skin-and-colours.md:
#   docs/screenshots/colour-picker.png  the picker with a few collected colours
#   docs/screenshots/skin-picker.png    the main window with a skin, picker open
# Needs a build (build/bin/tirk, build/bin/tirk_colour_picker_demo), Xvfb,
# xdotool and ImageMagick. Click positions follow the layouts at 96 DPI.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${TIRK_INSIDE_XVFB:-}" ]; then
  exec env TIRK_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" "$@"
fi
out=docs/screenshots
mkdir -p "$out"
scratch=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$scratch"; }
trap cleanup EXIT
export XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config LANG=en_US.UTF-8 LC_ALL=

wait_window() {  # wait_window TITLE → window id
  for _ in $(seq 1 100); do
    if id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ]; then
      echo "$id"; return 0
    fi
    sleep 0.1
  done
  echo "no window '$1'" >&2; return 1
}
geometry() {  # geometry ID → sets X Y W H
  eval "$(xdotool getwindowgeometry --shell "$1")"
  X=$X; Y=$Y; W=$WIDTH; H=$HEIGHT
}
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.15; }
shoot() {  # shoot FILE X Y W H
  import -window root "$scratch/root.png"
  convert "$scratch/root.png" -crop "$4x$5+$2+$3" +repage -strip "$1"
  echo "wrote $1"
}

# --- the colour picker (96 DPI: layout units are pixels) ---
build/bin/tirk_colour_picker_demo >/dev/null 2>&1 &
pids+=($!)
geometry "$(wait_window Colour)"
sleep 0.5
square() { click $((X + 17 + $1 * 260 / 100)) $((Y + 58 + (100 - $2) * 198 / 100)); }  # SAT VAL %
hue() { click $((X + 298)) $((Y + 58 + $1 * 198 / 360)); }                              # DEGREES
collected() { click $((X + 27 + $1 * 24)) $((Y + 360)); }                              # SLOT
collected 0; hue 200; square 80 90
collected 1; hue 150; square 70 80
collected 2; hue 45;  square 90 100
collected 3; hue 280; square 60 85
collected 4; hue 330; square 35 100
collected 5; hue 190; square 75 95
shoot "$out/colour-picker.png" "$X" "$Y" "$W" "$H"

# --- the skin picker over the main window ---
dbus-run-session -- build/bin/tirk --emulate >/dev/null 2>&1 &
pids+=($!)
geometry "$(wait_window "Vorpaline TIRK")"
sleep 1.5
base=$(sed -n 's/.*<Window size="\([0-9]*\),.*/\1/p' resources/skin/main.xml)
s100=$((W * 100 / base))                         # the window's scale, in percent
at() { echo $(($1 * s100 / 100)); }              # at LENGTH → pixels
# The skin button: fifth from the right of the header (48 + 44 + 13 + 40 to its right).
click $((X + W - $(at 165))) $((Y + $(at 24)))
frame=$(wait_window skinframe)
eval "$(xdotool getwindowgeometry --shell "$frame")"
click $((X + $(at 140))) $((Y + $(at 74)))      # the second picture: aurora
geometry "$(wait_window "Vorpaline TIRK")"
shoot "$out/skin-picker.png" "$X" "$Y" "$W" "$H"
