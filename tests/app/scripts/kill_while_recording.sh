#!/usr/bin/env bash
# A recording's hold on the keyboard never outlives the program: start
# `tirk --emulate` on the display the tests run under, record a macro on the
# keyboard's page (driven with xdotool), check that no other program can
# take the keyboard meanwhile, kill tirk with SIGKILL and check that the
# keyboard is free again (the X server ends a client's grabs when it goes).
# Usage: kill_while_recording.sh TIRK HOOK_HOLDER. Exit 77: skipped.
set -euo pipefail
tirk=$1 holder=$2
[ -n "${DISPLAY:-}" ] || { echo "no X display"; exit 77; }
command -v xdotool >/dev/null || { echo "no xdotool"; exit 77; }

# One test at a time grabs the display's keyboard (the hook's own tests too).
exec 9>"/tmp/tirk-x11-input-tests${DISPLAY//[:\/]/_}.lock"
flock 9

work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
export LANG=en_US.UTF-8 XDG_CONFIG_HOME=$work/cfg XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
export QT_QPA_PLATFORM=xcb
mkdir -m 700 "$work/run"
unset DBUS_SESSION_BUS_ADDRESS

"$tirk" --emulate >"$work/tirk.log" 2>&1 &
pid=$!
wid=
for _ in $(seq 1 150); do
  wid=$(xdotool search --onlyvisible --name "^Vorpaline TIRK$" 2>/dev/null | head -1) && [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "the window did not appear"; cat "$work/tirk.log"; exit 1; }
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
# Positions in the window at 96 DPI; the window may be scaled (144 DPI on a
# large screen).
click() {
  xdotool mousemove $((X + $1 * WIDTH / 800)) $((Y + $2 * WIDTH / 800)) click 1
  sleep 0.6
}
# The keyboard's tile, its macro tab, a new macro (confirmed), record.
click 110 196
click 492 72
click 258 523
click 548 368
click 459 290

# Whether another program can take the keyboard now.
keyboard_free() {
  local answer
  answer=$(timeout 3 "$holder" | head -1 || true)
  [ "$answer" = ready ]
}
if keyboard_free; then
  echo "recording did not hold the keyboard"; cat "$work/tirk.log"; exit 1
fi
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=
keyboard_free || { echo "the keyboard stayed held after SIGKILL"; exit 1; }
echo "the keyboard is free after SIGKILL"
