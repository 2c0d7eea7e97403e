#!/usr/bin/env bash
# Builds the Qt-free link layer and the shell's thread code with ThreadSanitizer
# into build-tsan/ and runs them: the command channel (light frames against long
# commands from two threads), the device worker (jobs, coalescing, stop while an
# exchange waits), the virtual bus and the HID transport, the keyboard protocol
# with the live frame streamer and the lighting thread.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-tsan
targets="tirk_link_tests tirk_device_worker_tests tirk_vbus_tests tirk_vbus_hid_tests tirk_hid_interface_test tirk_shell_tests tirk_keyboard_protocol_tests tirk_mouse_protocol_tests tirk_lighting_engine_tests"
flock /tmp/tirk-build.lock sh -c "
  [ -f $dir/build.ninja ] || cmake -S . -B $dir -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTIRK_WITH_QT=OFF -DTIRK_BENCH=OFF -DCMAKE_CXX_FLAGS=-fsanitize=thread
  cmake --build $dir -j2 --target $targets"

# Kernels with 32 bits of mmap randomness place memory where this TSan
# runtime does not expect it; running without address randomisation avoids that.
run=()
if setarch "$(uname -m)" -R true 2>/dev/null; then run=(setarch "$(uname -m)" -R); fi

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
status=0
for test in $targets; do
  echo "== $test under ThreadSanitizer"
  "${run[@]}" "$dir/bin/$test" --gtest_brief=1 || status=1
done
exit $status
