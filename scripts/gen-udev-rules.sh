#!/usr/bin/env bash
# Regenerates packaging/70-vorpaline-tirk.rules from resources/devices.json.
# Run after editing the device table; the tests fail while the two disagree.
# Usage: scripts/gen-udev-rules.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
cmake --build "$dir" --target tirk-udev-rules
"$dir/bin/tirk-udev-rules" resources/devices.json packaging/70-vorpaline-tirk.rules
echo "wrote packaging/70-vorpaline-tirk.rules"
