#!/usr/bin/env bash
# Takes the screenshots of the lighting page, the keyboard in three effects,
# the key-assignment panel, the keyboard's system page, the mouse's recoil
# tables, the keyboard's macro page while it records, and the mouse's page
# (its buttons, DPI stages, lighting and system tab) in
# docs/screenshots/ (English, 96 DPI) from `tirk --emulate` under Xvfb,
# driving the window with xdotool. Run from anywhere; needs a build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
out=docs/screenshots
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export LANG=en_US.UTF-8 XDG_CONFIG_HOME=$work/cfg XDG_DATA_HOME=$work/data
build/bin/tirk --emulate >/dev/null 2>&1 &
pid=$!
wid=""
for _ in $(seq 1 100); do
  wid=$(xdotool search --onlyvisible --name "^Vorpaline TIRK$" 2>/dev/null | head -1) && [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.4; }
keys() { for k in "$@"; do xdotool key "$k"; sleep 0.2; done; sleep 0.4; }
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" "$out/$1.png"; echo "$out/$1.png"; }

click 110 196                       # the keyboard's tile
shot lighting-page
# The keyboard in three effects: two animated ones and its own key colours
# (set 1 all cyan, WASD and the arrows red, Esc and F1-F4 purple).
click 420 297; keys Home Down Down Down Return   # effect: rainbow spiral
sleep 1; shot keyboard-spiral
click 420 297; keys Home Down Down Down Down Down Down Down Down Down Down Return   # raindrops
sleep 1; shot keyboard-raindrops
click 420 297; keys End Up Up Up Up Up Up Up Up Up Up Return   # custom key colours
click 674 324; click 375 369                     # cyan, all keys lit
click 550 324                                    # red
for key in "312 184" "294 208" "318 208" "342 208" "641 232" "617 256" "641 256" "665 256"; do
  click ${key% *} ${key#* }
done
click 736 324                                    # purple
for key in "252 124" "300 124" "324 124" "348 124" "372 124"; do click ${key% *} ${key#* }; done
xdotool mousemove $((X + 700)) $((Y + 540)); sleep 0.5
shot keyboard-custom-colours
click 420 297; keys End Up Return    # effect: music visualiser
shot lighting-music
click 660 72; click 323 124          # keys tab, the key F2 on the picture
click 476 376; keys Down Down Down Down Down Down Return   # function: media
shot key-assignment
click 110 126; click 688 72; click 510 154                 # the mouse, keys, its wheel on the picture
click 476 377; keys Down Down Down Return                  # function: scroll wheel
shot key-assignment-wheel
click 110 196; click 584 72                                # the keyboard, system tab
shot keyboard-system
click 110 126; click 483 72; click 539 129                 # the mouse, pointer tab, recoil
click 546 444                                              # shot 9
xdotool mousemove $((X + 790)) $((Y + 560)); sleep 0.3
shot recoil-editor
# The keyboard's macros: a new macro recorded from the desktop (Ctrl+C, "gg"
# and a click), shot while the recording still runs, then stopped.
click 110 196; click 492 72; click 258 523; click 548 368   # keyboard, macros, new, OK
click 459 290                                               # record
xdotool keydown ctrl sleep 0.1 key c sleep 0.15 keyup ctrl sleep 0.3 type --delay 120 "gg"
sleep 0.3
xdotool mousemove $((X + 500)) $((Y + 420)) click 1; sleep 0.3
xdotool mousemove $((X + 450)) $((Y + 290)); sleep 0.5
shot macro-recording
click 459 290                                               # stop

# The mouse: the picture of its buttons with their assignments (the wheel is
# still open from above), its DPI stages (pointer tab, first of its own tabs)
# and its lighting.
click 110 126; click 688 72                                # the mouse, keys
xdotool mousemove $((X + 790)) $((Y + 560)); sleep 0.3
shot mouse-buttons
click 483 72; click 293 129                                # pointer tab, DPI
xdotool mousemove $((X + 790)) $((Y + 560)); sleep 0.3
shot mouse-dpi
click 756 72                                               # lighting tab
xdotool mousemove $((X + 790)) $((Y + 560)); sleep 0.3
shot mouse-lighting
click 619 72                                               # system tab
xdotool mousemove $((X + 790)) $((Y + 560)); sleep 0.3
shot mouse-system
