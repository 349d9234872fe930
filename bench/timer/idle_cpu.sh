#!/usr/bin/env bash
# Measures what a program costs at rest: starts it, lets it settle, then reads its processor
# time from /proc/PID/stat over a measuring window and prints % of one core and resident memory.
#
#   bench/timer/idle_cpu.sh [-w SETTLE_S] [-s SECONDS] [-- COMMAND ARGS...]
#
# Defaults: 5 s to settle, 60 s measured, COMMAND = build/bin/kivo (run with
# QT_QPA_PLATFORM=offscreen unless the caller set QT_QPA_PLATFORM). Works with any command that
# keeps running; the process started is stopped (SIGTERM, then SIGKILL) at the end.
set -euo pipefail

settle=5
seconds=60
while [[ $# -gt 0 ]]; do
  case "$1" in
    -w) settle="$2"; shift 2 ;;
    -s) seconds="$2"; shift 2 ;;
    --) shift; break ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) break ;;
  esac
done
if [[ $# -eq 0 ]]; then
  root="$(cd "$(dirname "$0")/../.." && pwd)"
  set -- "$root/build/bin/kivo"
  export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
fi

"$@" &
pid=$!
stop() {
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
}
trap stop EXIT

# utime + stime of the process (all its threads), in clock ticks. The command name in field 2
# may hold blanks, so fields are counted after its closing parenthesis.
cpu_ticks() {
  local stat
  stat="$(cat "/proc/$pid/stat")" || return 1
  stat="${stat##*) }"
  # shellcheck disable=SC2086
  set -- $stat
  echo $(( ${12} + ${13} ))
}

sleep "$settle"
if ! kill -0 "$pid" 2>/dev/null; then
  echo "idle_cpu: '$*' exited during start-up" >&2
  exit 1
fi
hz="$(getconf CLK_TCK)"
t0="$(cpu_ticks)"
start_ns="$(date +%s%N)"
sleep "$seconds"
if ! t1="$(cpu_ticks)"; then
  echo "idle_cpu: '$*' exited while being measured" >&2
  exit 1
fi
end_ns="$(date +%s%N)"
rss_kb="$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")"
threads="$(awk '/^Threads:/ {print $2}' "/proc/$pid/status")"

awk -v t="$((t1 - t0))" -v hz="$hz" -v ns="$((end_ns - start_ns))" -v rss="$rss_kb" \
    -v th="$threads" -v cmd="$*" 'BEGIN {
  wall = ns / 1e9; cpu = t / hz
  printf "command:   %s\n", cmd
  printf "measured:  %.1f s after %s s of start-up\n", wall, "'"$settle"'"
  printf "cpu:       %.2f s = %.3f %% of one core\n", cpu, 100 * cpu / wall
  printf "memory:    VmRSS %.1f MB, %d threads\n", rss / 1024, th
}'
