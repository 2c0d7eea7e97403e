#!/usr/bin/env bash
# Configures and builds the program and its tests into build/ (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
[ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$dir" -j"$(nproc)"
