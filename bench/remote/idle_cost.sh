#!/usr/bin/env bash
# What Kivo costs at rest while it follows a camera: the GUI program (offscreen) polling the
# simulated camera (camera on, status every 5 s) inside a private network namespace, measured
# over SECONDS (default 60) after a settling time, beside an idle Qt window with a one-second
# clock measured the same way. Prints % of one core and resident memory, and the ratios.
#
#   bench/remote/idle_cost.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
bin=$root/build/bin
export QT_QPA_PLATFORM=offscreen
measure="$root/bench/timer/idle_cpu.sh --host-network -w 8 -s $seconds"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/kivo" "$work/kivo"   # its own folder, so its settings start from the defaults

echo "== Kivo polling the simulated camera ($seconds s)"
"$root/tests/e2e/netns_run.sh" --camsim "$bin/kivo-camsim" -- $measure -- "$work/kivo" | tee "$work/kivo.txt"
echo "== peer: idle Qt window with a one-second clock ($seconds s)"
"$root/tests/e2e/netns_run.sh" --no-camsim -- $measure -- "$bin/kivo_qt_idle_peer" | tee "$work/peer.txt"

cpu() { sed -n 's/^cpu: .* = \([0-9.]*\) % of one core.*/\1/p' "$1" | head -1; }
rss() { sed -n 's/^memory: *VmRSS \([0-9.]*\) MB.*/\1/p' "$1" | head -1; }
kc=$(cpu "$work/kivo.txt"); pc=$(cpu "$work/peer.txt")
kr=$(rss "$work/kivo.txt"); pr=$(rss "$work/peer.txt")
echo "== summary"
awk -v kc="$kc" -v pc="$pc" -v kr="$kr" -v pr="$pr" 'BEGIN {
  printf "  kivo: %.3f %% of one core, %.1f MB resident   (goals: < 1 %%, < 60 MB)\n", kc, kr;
  printf "  peer: %.3f %% of one core, %.1f MB resident\n", pc, pr;
  if (pc > 0) printf "  ratio kivo/peer: cpu %.2fx, memory %.2fx\n", kc/pc, kr/pr;
}'
