#!/usr/bin/env bash
# How close together a rig of cameras starts recording: with N simulated cameras (each its own
# access point at 10.5.5.9 behind its own interface kcamI, tests/e2e/netns_run.sh --cameras N),
# the spread between the first and the last camera receiving the record-start command, read from
# the cameras' own request logs (each request stamped with the kernel's time of its arrival, to
# the microsecond). Several runs per way, the recording stopped on every camera between runs:
#   kivo-cli --all   one "kivo-cli --all record start" (when this kivo-cli takes --all)
#   curl one by one  the peer: the same request by "curl --interface kcamI", one camera after
#                    another, as a script without Kivo would do it
#   curl together    a harder peer: one curl per camera, all started at once in the background
# Prints the median and the worst spread of each way and their ratios. Goal for kivo-cli --all:
# a spread of at most 5 ms with 6 cameras and 20 ms with 20.
#
#   bench/rig/record_spread.sh [--runs R] [N...]      (default: 10 runs, N = 6 and 20)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$root/build/bin
runs=10
if [ "${1:-}" = "--runs" ]; then
  runs=$2
  shift 2
fi

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  [ -x "$bin/kivo-cli" ] && [ -x "$bin/kivo-camsim" ] ||
    { echo "record_spread.sh: build kivo-cli and kivo-camsim first" >&2; exit 2; }
  [ $# -gt 0 ] || set -- 6 20
  echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
  for n in "$@"; do
    started=$(date +%s%N)
    "$root/tests/e2e/netns_run.sh" --cameras "$n" --camsim "$bin/kivo-camsim" \
      -- "$0" --runs "$runs" --inside "$started"
  done
  echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
  exit 0
fi

# --- inside the namespace, beside the rig ---------------------------------------------------
[ "${1:-}" = "--inside" ] || { echo "record_spread.sh: unexpected arguments $*" >&2; exit 2; }
started=$2
n=$KIVO_RIG_CAMERAS
ready_ms=$(( ($(date +%s%N) - started) / 1000000 ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# kivo-cli beside a Kivo.ini of its own, so that no settings file of the build tree counts.
mkdir -p "$work/prog" "$work/home"
cp "$bin/kivo-cli" "$work/prog/kivo-cli"
cli=$work/prog/kivo-cli
export HOME=$work/home
unset XDG_CONFIG_HOME XDG_STATE_HOME XDG_CACHE_HOME
printf '[BacPac]\r\nIPAddress=%s\r\nPassword=cameralnk\r\n' "$KIVO_CAMSIM_ADDRESS" \
  > "$work/prog/Kivo.ini"
url="http://$KIVO_CAMSIM_ADDRESS/bacpac/SH?t=cameralnk&p="

log_of() { eval "echo \$KIVO_RIG_LOG_$1"; }
mark() {  # every camera's log length, one per line
  for i in $(seq "$n"); do wc -l < "$(log_of "$i")"; done > "$work/marks"
}
# The spread in ms of the record-start command logged since mark(), or "missing I" when camera I
# did not get it.
spread() {
  local i=0 mark stamp
  : > "$work/stamps"
  while read -r mark; do
    i=$((i + 1))
    stamp=$(tail -n +$((mark + 1)) "$(log_of "$i")" |
            awk '$3 == "GET" && $4 ~ /^\/bacpac\/SH\?t=[^&]*&p=%01$/ { print $1; exit }')
    [ -n "$stamp" ] || { echo "missing $i"; return; }
    echo "$stamp" >> "$work/stamps"
  done < "$work/marks"
  sort -n "$work/stamps" | awk 'NR == 1 { first = $1 } { last = $1 } END { printf "%.3f\n", last - first }'
}
stop_all() {
  for i in $(seq "$n"); do
    curl -s -o /dev/null --max-time 3 --interface "kcam$i" "${url}%00" || true
  done
  sleep 0.3
}

kivo_all() { "$cli" --quiet --all record start > /dev/null 2> "$work/err" || cat "$work/err" >&2; }
curl_one_by_one() {
  for i in $(seq "$n"); do
    curl -s -o /dev/null --max-time 3 --interface "kcam$i" "${url}%01" || true
  done
}
curl_together() {
  local pids=()
  for i in $(seq "$n"); do
    curl -s -o /dev/null --max-time 3 --interface "kcam$i" "${url}%01" &
    pids+=("$!")
  done
  for pid in "${pids[@]}"; do wait "$pid" || true; done
}

ways=()
# "get --all" is another --all: ask the program itself whether it takes --all before a command.
probe=$("$cli" --all status 2>&1 || true)
if [[ "$probe" != *"unknown option --all"* ]]; then
  ways+=(kivo_all)
else
  echo "  (this kivo-cli has no --all: only the peers are measured)"
fi
ways+=(curl_one_by_one curl_together)

stop_all
for _ in $(seq "$runs"); do
  for way in "${ways[@]}"; do
    mark
    "$way"
    spread >> "$work/$way"
    stop_all
  done
done

label() {
  case "$1" in
    kivo_all) echo "kivo-cli --all" ;;
    curl_one_by_one) echo "curl one by one" ;;
    curl_together) echo "curl together" ;;
  esac
}
echo "== $n cameras (rig ready in $ready_ms ms), $runs runs per way: record-start spread, first to last camera"
for way in "${ways[@]}"; do
  missing=$(grep -c '^missing' "$work/$way" || true)
  { grep -v '^missing' "$work/$way" || true; } | sort -n |
    awk -v l="$(label "$way")" -v m="$missing" '{ a[NR] = $1 }
      END {
        med = NR ? (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2) : -1
        printf "  %-16s median %8.3f ms   worst %8.3f ms   best %8.3f ms", l, med, a[NR], a[1]
        if (m > 0) printf "   (%d runs with a camera missing the command)", m
        printf "\n"
        print l "\t" med "\t" a[NR] > "/dev/stderr"
      }' 2>> "$work/summary"
done
goal=$([ "$n" -le 6 ] && echo 5 || echo 20)
awk -F'\t' -v goal="$goal" -v n="$n" '{ med[$1] = $2; worst[$1] = $3 }
  END {
    k = "kivo-cli --all"
    if (!(k in med)) exit
    split("curl one by one,curl together", peers, ",")
    for (i = 1; i <= 2; i++) if ((p = peers[i]) in med && med[k] > 0 && worst[k] > 0)
      printf "  %s / kivo-cli --all: median %.1fx, worst %.1fx\n", p, med[p] / med[k], worst[p] / worst[k]
    printf "  goal for %d cameras: <= %d ms: %s\n", n, goal, (worst[k] <= goal ? "met (worst run)" : (med[k] <= goal ? "met by the median, not by the worst run" : "NOT met"))
  }' "$work/summary"
