#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the link layer under
# ThreadSanitizer, the whole program's tests (Qt offscreen, a private D-Bus
# session, Xvfb for the window tests), then the Qt-free libraries again under
# AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

bash scripts/build.sh build

echo "== the link layer under ThreadSanitizer =="
bash scripts/tsan.sh

echo "== tests =="
dbus-run-session -- xvfb-run -a -s "-screen 0 1600x1000x24" \
  ctest --test-dir build --output-on-failure -j"$jobs" --timeout 120

echo "== Qt-free libraries under AddressSanitizer and UBSan =="
[ -f build-asan/build.ninja ] || cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DTIRK_WITH_QT=OFF -DTIRK_SANITIZE=ON -DTIRK_BENCH=OFF
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 300
