#!/usr/bin/env bash
# Start-up benchmark: time from process start to a visible window, and resident
# memory once the window is up, for `tirk --emulate` and for a minimal Qt
# Widgets program, measured alternately in the same run under one Xvfb.
# Targets: tirk within 1.3x of the minimal program's start time, under 60 MB.
# Usage: bench/startup.sh [runs]   (needs a build in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24" dbus-run-session -- bash "$0" "$@"
fi
bin=build/bin
# The runtime folder is a tmpfs on a desktop ($XDG_RUNTIME_DIR); /dev/shm stands in.
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints "<ms to visible window> <RSS kB>" for one start of the command.
measure() {
  local title=$1; shift
  local start end pid rss
  start=$(date +%s%N)
  XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data "$@" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null; then echo "fail 0"; return; fi
    sleep 0.005
  done
  end=$(date +%s%N)
  sleep 1
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  echo "$(( (end - start) / 1000000 )) $rss"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: > "$work/tirk"; : > "$work/qt"; : > "$work/qt_text"
for _ in $(seq 1 "$runs"); do
  measure "Minimal Qt" "$bin/tirk-bench-minimal-qt" >> "$work/qt"
  measure "Minimal Qt" "$bin/tirk-bench-minimal-qt" --text >> "$work/qt_text"
  measure "Vorpaline TIRK" "$bin/tirk" --emulate >> "$work/tirk"
done
ms() { cut -d' ' -f1 "$work/$1" | median; }
mb() { cut -d' ' -f2 "$work/$1" | median | awk '{print $1 / 1024}'; }
ratio() { awk -v a="$(ms tirk)" -v b="$(ms "$1")" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
printf '%-30s %10s %10s\n' program "start ms" "RSS MB"
printf '%-30s %10s %10.1f\n' "minimal Qt Widgets" "$(ms qt)" "$(mb qt)"
printf '%-30s %10s %10.1f\n' "minimal Qt Widgets with text" "$(ms qt_text)" "$(mb qt_text)"
printf '%-30s %10s %10.1f\n' "tirk --emulate" "$(ms tirk)" "$(mb tirk)"
echo "start-time ratio: $(ratio qt) to the empty window, $(ratio qt_text) to the one with text" \
  "(target <= 1.3); tirk RSS target < 60 MB (medians of $runs runs)"
