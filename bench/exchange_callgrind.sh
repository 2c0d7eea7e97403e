#!/usr/bin/env bash
# Instructions per command-frame exchange, counted by callgrind. Runs
# `exchange_bench --frames N` (N single-frame exchanges on the cable against a
# virtual device) for two values of N and divides the difference of the
# instruction counts by the difference of N, so start-up and set-up cancel out.
# Reports the host side (channel + HID transport, the main thread) and the
# virtual device (the bus thread) apart.
# Usage: bench/exchange_callgrind.sh [N1 N2]   (default 200 1200)
# Builds an optimised, Qt-free tree in build-bench/ (or $BENCH_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
n1=${1:-200}
n2=${2:-1200}
dir=${BENCH_BUILD_DIR:-build-bench}
flock /tmp/tirk-build.lock sh -c "
  [ -f $dir/build.ninja ] || cmake -S . -B $dir -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTIRK_WITH_QT=OFF -DTIRK_TESTS=OFF -DTIRK_BENCH=ON
  cmake --build $dir -j2 --target exchange_bench"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints "<main thread Ir> <other threads Ir>" for a run of $1 exchanges.
count() {
  valgrind --tool=callgrind --separate-threads=yes --callgrind-out-file="$work/cg.$1" \
    "$dir/bin/exchange_bench" --frames "$1" >"$work/log.$1" 2>&1 || {
    cat "$work/log.$1" >&2
    exit 1
  }
  awk '/^summary:/ {
         if (FILENAME ~ /-01$/) host += $2; else device += $2
       }
       END { print host + 0, device + 0 }' "$work"/cg."$1"-*
}

read -r host1 device1 < <(count "$n1")
read -r host2 device2 < <(count "$n2")
frames=$((n2 - n1))
awk -v h1="$host1" -v h2="$host2" -v d1="$device1" -v d2="$device2" -v n="$frames" 'BEGIN {
  printf "instructions per exchange (%d exchanges measured):\n", n
  printf "  host (channel + HID transport): %.0f\n", (h2 - h1) / n
  printf "  virtual device (bus thread):    %.0f\n", (d2 - d1) / n
  printf "  total:                          %.0f\n", (h2 - h1 + d2 - d1) / n
}'
