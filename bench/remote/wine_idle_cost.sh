#!/usr/bin/env bash
# What kivo.exe costs at rest under Wine while it follows a camera: kivo.exe on a virtual display
# (Xvfb) polling the simulated camera (camera on, status every 5 s) inside a private network
# namespace, measured over SECONDS (default 60) after a settling time, beside a bare Win32 window
# with a one-second clock (kivo_win32_idle_peer.exe) measured the same way in the same run.
# Prints, for both and as ratios:
#   wake-ups/s   context switches of all the program's threads (/proc/PID/task/*/status), all
#                and voluntary only
#   cpu          processor time of its threads (/proc/PID/task/*/schedstat), % of one core
#   memory       resident set (VmRSS) and private memory (Private_* of smaps_rollup) at the end
# The same wake-ups and cpu for Wine's server (wineserver) and for the rest of Wine (services,
# explorer, winedevice, plugplay, rpcss, svchost) are printed beside them: a Windows program's
# window, timer and socket calls go through the server, so part of what it costs is there.
#
#   bench/remote/wine_idle_cost.sh [SECONDS]
#
# Needs the Windows tree (build-win: kivo.exe and kivo_win32_idle_peer.exe) and the Linux
# tree's kivo-camsim. Every Wine process runs inside the namespace (tests/win32/wine_run.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
settle=20
win=${KIVO_WIN_BUILD:-$root/build-win}
export KIVO_WINEPREFIX=${KIVO_WINEPREFIX:-$win/wineprefix}

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  for f in "$win/bin/kivo.exe" "$win/bin/kivo_win32_idle_peer.exe" "$root/build/bin/kivo-camsim"; do
    [ -f "$f" ] || { echo "wine_idle_cost.sh: $f is missing; build it first" >&2; exit 2; }
  done
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
  echo "== kivo.exe under Wine polling the simulated camera ($seconds s)"
  "$root/tests/e2e/netns_run.sh" --camsim "$root/build/bin/kivo-camsim" -- "$0" "$seconds" kivo |
    tee "$out/kivo"
  echo "== peer: bare Win32 window with a one-second clock, under Wine ($seconds s)"
  "$root/tests/e2e/netns_run.sh" --no-camsim -- "$0" "$seconds" peer | tee "$out/peer"
  echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "== kivo.exe/peer"
  paste <(grep '^RESULT' "$out/kivo") <(grep '^RESULT' "$out/peer") | awk '{
    n = split("wake-ups voluntary-wake-ups cpu resident private wineserver-wake-ups wineserver-cpu", name, " ")
    for (i = 1; i <= n; i++) printf "  %-20s %.2fx\n", name[i], ($(i + n + 2) > 0 ? $(i + 1) / $(i + n + 2) : 0)
  }'
  exit 0
fi

# --- inside the namespace: one program, measured ----------------------------------------------
which=$2
work=$(mktemp -d)
xvfb_pid=
runner_pid=
pid=
cleanup() {
  set +e
  [ -z "$pid" ] || kill "$pid" 2> /dev/null
  [ -z "$runner_pid" ] || wait "$runner_pid" 2> /dev/null
  [ -z "$xvfb_pid" ] || { kill "$xvfb_pid"; wait "$xvfb_pid"; } 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
if [ "$which" = kivo ]; then
  name=kivo.exe   # copied into a folder of its own, so its settings start from the defaults
else
  name=kivo_win32_idle_peer.exe
fi
cp "$win/bin/$name" "$work/$name"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
sleep 1
if [ ! -f "$KIVO_WINEPREFIX/system.reg" ]; then  # Wine's first start makes the prefix: slow
  "$root/tests/win32/wine_run.sh" "$work/$name" --version > /dev/null 2>&1 || true
fi
"$root/tests/win32/wine_run.sh" "$work/$name" > "$work/out" 2>&1 &
runner_pid=$!
sleep "$settle"

# The Windows process is a Linux process of its own, named after the program (15 characters).
pid_of() {  # COMM
  local p
  for p in /proc/[0-9]*; do
    [ "$(cat "$p/comm" 2> /dev/null)" = "$1" ] && { echo "${p#/proc/}"; return; }
  done
}
pid=$(pid_of "${name:0:15}")
[ -n "$pid" ] || { echo "wine_idle_cost: $name is not running" >&2; cat "$work/out" >&2; exit 1; }
server=$(pid_of wineserver64)
[ -n "$server" ] || server=$(pid_of wineserver)
others=()
for p in /proc/[0-9]*; do
  case "$(cat "$p/comm" 2> /dev/null)" in
    services.exe | explorer.exe | winedevice.exe | plugplay.exe | rpcss.exe | svchost.exe)
      others+=("${p#/proc/}") ;;
  esac
done

# Totals over processes: all context switches, voluntary ones, processor time in ns.
counters() {  # PID...
  local p
  for p in "$@"; do
    cat /proc/"$p"/task/*/status 2> /dev/null | awk '
      /^voluntary_ctxt_switches/ { v += $2 } /ctxt_switches/ { a += $2 }
      END { print a + 0, v + 0 }'
    cat /proc/"$p"/task/*/schedstat 2> /dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'
  done | paste - - | awk '{ a += $1; v += $2; t += $3 } END { printf "%d %d %.0f\n", a, v, t }'
}
read -r pa0 pv0 pt0 <<< "$(counters "$pid")"
read -r sa0 _ st0 <<< "$(counters "$server")"
read -r oa0 _ ot0 <<< "$(counters ${others[@]+"${others[@]}"})"
per_thread() {
  local t
  for t in /proc/"$pid"/task/*; do
    echo "$(basename "$t") $(awk '/ctxt_switches/ { s += $2 } END { print s + 0 }' "$t/status")"
  done
}
per_thread > "$work/threads0"
s0=$(date +%s%N)
sleep "$seconds"
read -r pa1 pv1 pt1 <<< "$(counters "$pid")"
read -r sa1 _ st1 <<< "$(counters "$server")"
read -r oa1 _ ot1 <<< "$(counters ${others[@]+"${others[@]}"})"
s1=$(date +%s%N)
per_thread > "$work/threads1"
kill -0 "$pid" 2> /dev/null || { echo "wine_idle_cost: $name ended during the run" >&2; exit 1; }
rss=$(awk '/^VmRSS:/ { print $2 }' /proc/"$pid"/status)
private=$(awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s + 0 }' /proc/"$pid"/smaps_rollup)
threads=$(awk '/^Threads:/ { print $2 }' /proc/"$pid"/status)
server_rss=$(awk '/^VmRSS:/ { print $2 }' /proc/"$server"/status)

awk -v w="$(( (s1 - s0) / 1000 ))" -v th="$threads" -v r="$rss" -v pr="$private" \
    -v pa=$((pa1 - pa0)) -v pv=$((pv1 - pv0)) -v pt=$((pt1 - pt0)) \
    -v sa=$((sa1 - sa0)) -v st=$((st1 - st0)) -v sr="$server_rss" \
    -v oa=$((oa1 - oa0)) -v ot=$((ot1 - ot0)) -v on=${#others[@]} 'BEGIN {
  w /= 1e6
  printf "  program     wake-ups %6.2f /s (voluntary %.2f /s, %d threads)\n", pa / w, pv / w, th
  printf "              cpu      %6.3f %% of one core (%.2f s in %.0f s)\n", pt / 1e7 / w, pt / 1e9, w
  printf "              memory   %6.1f MB resident, %.1f MB private\n", r / 1024, pr / 1024
  printf "  wineserver  wake-ups %6.2f /s, cpu %.3f %%, %.1f MB resident\n", sa / w, st / 1e7 / w, sr / 1024
  printf "  rest of Wine (%d processes) wake-ups %.2f /s, cpu %.3f %%\n", on, oa / w, ot / 1e7 / w
  printf "RESULT %f %f %f %f %f %f %f\n", pa / w, pv / w, pt / 1e7 / w, r / 1024, pr / 1024, sa / w, st / 1e7 / w
}'
echo "  program's threads, context switches/s (thread id, Windows thread name where one is set):"
join "$work/threads0" "$work/threads1" | while read -r tid before after; do
  awk -v t="$tid" -v c="$(cat "/proc/$pid/task/$tid/comm" 2> /dev/null)" -v d=$((after - before)) \
      -v w="$(( (s1 - s0) / 1000 ))" 'BEGIN { printf "    %-8s %-16s %.2f\n", t, c, d / (w / 1e6) }'
done
