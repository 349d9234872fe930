#!/usr/bin/env bash
# What Kivo costs at rest while it follows a camera: the GUI program (offscreen) polling the
# simulated camera (camera on, status every 5 s) inside a private network namespace, measured
# over SECONDS (default 60) after a settling time, beside an idle Qt window with a one-second
# clock measured the same way in the same run. Prints, for both and as ratios:
#   wake-ups/s      context switches of all threads (/proc/PID/task/*/status, voluntary and
#                   involuntary), also per thread for Kivo
#   syscalls/s      strace -c -f over a separate window of STRACE_S seconds (default 20),
#                   with the busiest calls
#   cpu             processor time of its threads (/proc/PID/task/*/schedstat), % of one core
#   memory          resident set (VmRSS) at the end
#   first paint     start to first completed frame on Xvfb, median of 10 (--exit-after-first-frame)
# Goals, kivo/peer: wake-ups <= 2x, cpu <= 1.2x, memory <= 1.2x, first paint <= 1.2x.
#
#   bench/remote/idle_cost.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$root/build/bin
seconds=${1:-60}
strace_s=${STRACE_S:-20}
settle=8

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "== Kivo polling the simulated camera ($seconds s)"
  "$root/tests/e2e/netns_run.sh" --camsim "$bin/kivo-camsim" -- "$0" "$seconds" kivo |
    tee "$out/kivo"
  echo "== peer: idle Qt window with a one-second clock ($seconds s)"
  "$root/tests/e2e/netns_run.sh" --no-camsim -- "$0" "$seconds" peer | tee "$out/peer"
  echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "== kivo/peer (goals: wake-ups <= 2x, cpu <= 1.2x, memory <= 1.2x, first paint <= 1.2x)"
  paste <(grep '^RESULT' "$out/kivo") <(grep '^RESULT' "$out/peer") | awk '{
    split("wake-ups syscalls cpu memory first-paint", name, " ")
    for (i = 1; i <= 5; i++) printf "  %-12s %.2fx\n", name[i], ($(i + 7) > 0 ? $(i + 1) / $(i + 7) : 0)
  }'
  exit 0
fi

# Inside the namespace: one program, measured; results go to a summary file the outer run reads.
which=$2
work=$(mktemp -d)
xvfb_pid=
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
if [ "$which" = kivo ]; then
  cp "$bin/kivo" "$work/kivo"   # its own folder, so its settings start from the defaults
  cmd=("$work/kivo")
else
  cmd=("$bin/kivo_qt_idle_peer")
fi

ctx_total() {  # all threads' context switches
  cat /proc/"$pid"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { s += $2 } END { print s + 0 }'
}
ctx_per_thread() {
  for t in /proc/"$pid"/task/*; do
    echo "$(basename "$t") $(cat "$t/comm") $(awk '/ctxt_switches/ { s += $2 } END { print s + 0 }' "$t/status")"
  done
}
cpu_ns() {  # processor time of the living threads, in nanoseconds (clock ticks are too coarse)
  cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'
}

QT_QPA_PLATFORM=offscreen "${cmd[@]}" 2> "$work/err" &
pid=$!
sleep "$settle"
kill -0 "$pid" || { echo "idle_cost: $which exited during start-up" >&2; exit 1; }
c0=$(ctx_total); t0=$(cpu_ns); s0=$(date +%s%N)
ctx_per_thread > "$work/threads0"
sleep "$seconds"
c1=$(ctx_total); t1=$(cpu_ns); s1=$(date +%s%N)
ctx_per_thread > "$work/threads1"
rss=$(awk '/^VmRSS:/ { print $2 }' /proc/"$pid"/status)
threads=$(awk '/^Threads:/ { print $2 }' /proc/"$pid"/status)
# System calls over a window of their own: strace slows every call it sees.
timeout -s INT "$strace_s" strace -c -f -p "$pid" -o "$work/strace" 2>/dev/null || true
calls=$(awk '/^ *[0-9.]+ +[0-9.]+ +[0-9]+ +[0-9]+/ && $NF != "total" { n += $4 } END { print n + 0 }' "$work/strace")
top=$(awk '/^ *[0-9.]+ +[0-9.]+ +[0-9]+ +[0-9]+/ && $NF != "total" { print $4, $NF }' "$work/strace" |
      sort -rn | head -4 | awk -v s="$strace_s" '{ printf "%s %.1f, ", $2, $1 / s }')
kill "$pid"; wait "$pid" 2>/dev/null || true
pid=

# First paint on a display of its own, ten times; the median.
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb_pid=$!
sleep 1
paints=()
for _ in $(seq 10); do
  t_start=$(date +%s%6N)
  t_frame=$(DISPLAY=$display QT_QPA_PLATFORM=xcb "${cmd[@]}" --exit-after-first-frame 2>&1 |
            sed -n 's/^first-frame //p')
  [ -n "$t_frame" ] && paints+=( $(( t_frame - t_start )) )
done
paint=$(printf '%s\n' "${paints[@]}" | sort -n | awk '{ a[NR] = $1 } END { print (NR ? a[int((NR + 1) / 2)] / 1000 : 0) }')

wall=$(awk -v a="$s0" -v b="$s1" 'BEGIN { print (b - a) / 1e9 }')
awk -v w="$wall" -v c=$((c1 - c0)) -v t=$((t1 - t0)) -v hz=1000000000 -v r="$rss" -v th="$threads" \
    -v n="$calls" -v ss="$strace_s" -v top="$top" -v p="$paint" 'BEGIN {
  printf "  wake-ups    %7.2f /s (context switches, %d threads)\n", c / w, th
  printf "  syscalls    %7.1f /s (%s...)\n", n / ss, top
  printf "  cpu         %7.3f %% of one core (%.2f s in %.0f s)\n", 100 * t / hz / w, t / hz, w
  printf "  memory      %7.1f MB resident\n", r / 1024
  printf "  first paint %7.1f ms (Xvfb, median of 10)\n", p
  printf "RESULT %f %f %f %f %f\n", c / w, n / ss, 100 * t / hz / w, r / 1024, p
}' | tee "$work/result"
if [ "$which" = kivo ]; then
  echo "  per thread (context switches/s):"
  join "$work/threads0" "$work/threads1" |
    awk -v w="$wall" '{ r = ($5 - $3) / w; if (r > 0) printf "    %-8s %-16s %.2f\n", $1, $2, r }'
fi
