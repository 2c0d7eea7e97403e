#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz/ (clang, Qt-free, ASan and
# UBSan) and runs each for $1 seconds (default 300). Seeds: the real report
# descriptors in tests/data/hid-descriptors/, the default profiles in
# resources/DefaultData/, the macro files in tests/data/profile/macro/, the
# default recoil tables in resources/DefaultData/ and the
# lighting files in tests/data/profile/lighting/ plus resources/DefaultData/.
# Further arguments name the targets to run (default: all).
# Crashing inputs land in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(hid_descriptor hid_input_report profile_import macro_import recoil_import light_steps light_config)
dir=build-fuzz
flock /tmp/tirk-build.lock sh -c "
  [ -f $dir/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B $dir -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIRK_FUZZ=ON -DTIRK_WITH_QT=OFF -DTIRK_TESTS=OFF -DTIRK_BENCH=OFF
  cmake --build $dir -j2 --target ${targets[*]/#/fuzz_}"

seeds=$dir/seeds
mkdir -p "$seeds/descriptor" "$seeds/input_report" "$dir/artifacts"
for bin in tests/data/hid-descriptors/*.bin; do
  name=$(basename "$bin" .bin)
  cp "$bin" "$seeds/descriptor/$name"
  # [length LE16][descriptor][collection 0][a report: id 1, then zeros and ones]
  python3 - "$bin" "$seeds/input_report/$name" <<'PY'
import sys
d = open(sys.argv[1], 'rb').read()
report = bytes([1]) + bytes(31) + bytes([0xFF] * 32)
open(sys.argv[2], 'wb').write(len(d).to_bytes(2, 'little') + d + bytes([0]) + report)
PY
done

# [device type selector byte][file]: the installed default profiles, each
# offered to its own device type, as exported profiles look.
mkdir -p "$seeds/profile_import"
python3 - resources/DefaultData "$seeds/profile_import" <<'PY'
import json, os, sys
selector = {"keyboard": 0, "mouse": 1, "MousePad": 2, "HD": 4}  # index into 1,2,3,6,7,9
for name, index in selector.items():
    root = json.load(open(os.path.join(sys.argv[1], name + ".Json")))
    root["profilename"], root["profileUUID"] = name, "2024_01_01_00_00_00_000"
    open(os.path.join(sys.argv[2], name), "wb").write(bytes([index]) + json.dumps(root, indent=3).encode())
PY

# The data files the lighting and macro importers read, as they are shipped.
mkdir -p "$seeds/macro_import" "$seeds/recoil_import" "$seeds/light_steps" "$seeds/light_config"
cp tests/data/profile/macro/* "$seeds/macro_import/" 2>/dev/null || true
cp resources/DefaultData/ShootData_*.Shoot "$seeds/recoil_import/" 2>/dev/null || true
cp tests/data/profile/lighting/* "$seeds/light_steps/" 2>/dev/null || true
cp resources/DefaultData/*.light "$seeds/light_steps/" 2>/dev/null || true
cp tests/data/profile/lighting/* "$seeds/light_config/" 2>/dev/null || true
cp resources/DefaultData/default_light.json resources/DefaultData/zintu_light.config \
  "$seeds/light_config/" 2>/dev/null || true
seeds_of() {
  case $1 in
    hid_descriptor) echo "$seeds/descriptor" ;;
    hid_input_report) echo "$seeds/input_report" ;;
    *) echo "$seeds/$1" ;;
  esac
}

status=0
for target in "${targets[@]}"; do
  corpus=$dir/corpus/$target
  mkdir -p "$corpus"
  max_len=262144
  case $target in hid_*) max_len=8192 ;; esac
  echo "== fuzz_$target for ${seconds}s"
  "$dir/bin/fuzz_$target" "$corpus" "$(seeds_of "$target")" \
    -max_total_time="$seconds" -max_len=$max_len -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/artifacts/$target-" -print_final_stats=1 || status=$?
done
exit $status
