#!/usr/bin/env bash
# Runs inside Xvfb: starts the program, waits for its window, saves a
# screenshot, then keeps the program running until it exits (Ctrl+C ends it).
set -uo pipefail
shot=${1:-build/screenshot.png}
cd "$(dirname "$0")/.."
runner=()
command -v dbus-run-session >/dev/null && [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && runner=(dbus-run-session --)
"${runner[@]}" build/bin/tirk --emulate &
pid=$!
for _ in $(seq 1 100); do
  if xdotool search --name "^Vorpaline TIRK$" >/dev/null 2>&1; then break; fi
  sleep 0.1
done
sleep 1
if import -window root "$shot" 2>/dev/null; then
  echo "Screenshot of the window: $shot"
else
  echo "Could not take a screenshot"
fi
wait "$pid"
