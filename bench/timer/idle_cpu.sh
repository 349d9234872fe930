#!/usr/bin/env bash
# Measures what a program costs at rest: starts it, lets it settle, then reads its processor
# time from /proc/PID/stat over a measuring window and prints % of one core and resident memory.
#
#   bench/timer/idle_cpu.sh [-w SETTLE_S] [-s SECONDS] [--host-network] [-- COMMAND ARGS...]
#
# Defaults: 5 s to settle, 60 s measured, COMMAND = build/bin/kivo (run with
# QT_QPA_PLATFORM=offscreen unless the caller set QT_QPA_PLATFORM). Works with any command that
# keeps running; the process started is stopped (SIGTERM, then SIGKILL) at the end.
# The command runs in a private network namespace (only its own loopback) unless
# --host-network is given: Kivo pings and polls the camera address from start-up, and that
# traffic must not leave this machine.
set -euo pipefail

settle=5
seconds=60
host_network=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    -w) settle="$2"; shift 2 ;;
    -s) seconds="$2"; shift 2 ;;
    --host-network) host_network=1; shift ;;
    --) shift; break ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) break ;;
  esac
done
if [[ $# -eq 0 ]]; then
  root="$(cd "$(dirname "$0")/../.." && pwd)"
  set -- "$root/build/bin/kivo"
  export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
fi

if [[ $host_network -eq 0 ]]; then
  if ! command -v unshare >/dev/null || ! unshare -rn true 2>/dev/null; then
    echo "idle_cpu: cannot create a private network namespace; use --host-network only for a" \
         "command that sends nothing off this machine" >&2
    exit 1
  fi
  # unshare and sh both exec, so $! is the measured program itself.
  unshare -rn sh -c 'ip link set lo up 2>/dev/null; exec "$@"' sh "$@" &
else
  "$@" &
fi
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
comm="$(cat "/proc/$pid/comm")"

awk -v t="$((t1 - t0))" -v hz="$hz" -v ns="$((end_ns - start_ns))" -v rss="$rss_kb" \
    -v th="$threads" -v cmd="$*" -v comm="$comm" -v pid="$pid" 'BEGIN {
  wall = ns / 1e9; cpu = t / hz
  printf "command:   %s (pid %d, %s)\n", cmd, pid, comm
  printf "measured:  %.1f s after %s s of start-up\n", wall, "'"$settle"'"
  printf "cpu:       %.2f s = %.3f %% of one core\n", cpu, 100 * cpu / wall
  printf "memory:    VmRSS %.1f MB, %d threads\n", rss / 1024, th
}'
