#!/usr/bin/env bash
# Installs what is needed, builds, and starts `tirk --emulate` (the program with
# its virtual keyboard, mice, mouse pad and headset). Without a display it runs
# under Xvfb and writes a screenshot of the window to build/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/tirk --emulate
fi
echo "No display: starting under Xvfb; a screenshot will be written to build/screenshot.png"
exec xvfb-run -a -s "-screen 0 1600x1000x24" bash scripts/show-under-xvfb.sh build/screenshot.png
