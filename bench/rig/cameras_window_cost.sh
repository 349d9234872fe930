#!/usr/bin/env bash
# What the Cameras window costs: Kivo with the window open, reading a rig of CAMERAS simulated
# cameras (default 20, each behind its own interface: tests/e2e/netns_run.sh --cameras) every
# five seconds, beside Kivo with the main window alone following one camera, both running at the
# same time in the same rig for SECONDS (default 60) after a settling time. Prints for each the
# processor time (user + system, /proc/PID/stat) over the measured time, the peak resident set
# (VmHWM) and the status readings every camera got, then the ratios. Not a test: it prints
# figures and asserts nothing.
#
#   bench/rig/cameras_window_cost.sh [SECONDS] [CAMERAS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$root/build/bin
seconds=${1:-60}
cameras=${2:-20}
settle=8

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
  "$root/tests/e2e/netns_run.sh" --cameras "$cameras" --camsim "$bin/kivo-camsim" \
    -- "$0" "$seconds" "$cameras"
  echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
  exit 0
fi

# Inside the namespace: both programs at once, each from its own folder (default settings).
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/rig" "$work/one"
cp "$bin/kivo" "$work/rig/kivo"
cp "$bin/kivo" "$work/one/kivo"
QT_QPA_PLATFORM=offscreen "$work/rig/kivo" --cameras 2> "$work/rig/err" &
pids+=($!)
QT_QPA_PLATFORM=offscreen "$work/one/kivo" 2> "$work/one/err" &
pids+=($!)

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # fields after "(comm)" never blank
readings() {  # status readings each camera has answered so far
  for i in $(seq "$cameras"); do
    v=KIVO_RIG_LOG_$i
    grep -c ' /bacpac/se' "${!v}" || true
  done | paste -sd' '
}

sleep "$settle"
for p in "${pids[@]}"; do kill -0 "$p" || { echo "cameras_window_cost: kivo exited" >&2; exit 1; }; done
r0=$(readings)
a0=$(cpu_ticks "${pids[0]}"); b0=$(cpu_ticks "${pids[1]}"); s0=$(date +%s%N)
sleep "$seconds"
a1=$(cpu_ticks "${pids[0]}"); b1=$(cpu_ticks "${pids[1]}"); s1=$(date +%s%N)
r1=$(readings)
hwm() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
ha=$(hwm "${pids[0]}"); hb=$(hwm "${pids[1]}")
hz=$(getconf CLK_TCK)
awk -v a="$((a1 - a0))" -v b="$((b1 - b0))" -v hz="$hz" -v ns="$((s1 - s0))" -v ha="$ha" \
    -v hb="$hb" -v n="$cameras" -v r0="$r0" -v r1="$r1" 'BEGIN {
  wall = ns / 1e9
  split(r0, x, " "); split(r1, y, " ")
  min = -1; max = 0
  for (i = 1; i <= n; i++) { d = y[i] - x[i]; if (min < 0 || d < min) min = d; if (d > max) max = d }
  printf "measured %.1f s; status readings per camera in that time: %d..%d (every camera, and\n", wall, min, max
  printf "  camera 1 also by both main windows)\n"
  printf "%-40s %10s %10s %12s\n", "", "cpu s", "% of core", "peak RSS KiB"
  printf "%-40s %10.2f %10.2f %12d\n", "Kivo + Cameras window, " n " cameras", a / hz, 100 * a / hz / wall, ha
  printf "%-40s %10.2f %10.2f %12d\n", "Kivo, main window, 1 camera (peer)", b / hz, 100 * b / hz / wall, hb
  printf "ratio (with window / peer): cpu %.2fx, peak RSS %.2fx\n", (b > 0 ? a / b : 0), (hb > 0 ? ha / hb : 0)
}'
