#!/usr/bin/env bash
# Browse and Download's engine (kivo_fetch_bench) beside curl -C - in a retry loop, fetching the
# same large files from the simulated camera inside a private network namespace, same run.
#
#   bench/browse/fetch_bench.sh [--shaped-mib N]
#
# 1. Unshaped loopback: 4 videos of 256 MiB (1 GiB) with each tool; throughputs and ratio.
# 2. Shaped like the camera's Wi-Fi (25 Mbit/s, 5 ms, 0.5 % loss with netem; where netem is
#    missing, a 25 Mbit/s token bucket without delay or loss, and the script says so): N MiB
#    (default 96) with each tool — 1 GiB would take six minutes per tool at that rate.
# 3. The flaky-link fault (a drop every 32 MB): 1 GiB with Kivo, then every file compared with
#    curl's copy from step 1; prints the number of corrupted files.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$root/build/bin
shaped_mib=96
[ "${1:-}" = "--shaped-mib" ] && shaped_mib=$2

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  exec "$root/tests/e2e/netns_run.sh" --camsim "$bin/kivo-camsim" \
    --camsim-arg --fill-card --camsim-arg "videos=4 video-size=256M" \
    --camsim-args "--listing table --media-root /videos/DCIM/" \
    -- "$0" --shaped-mib "$shaped_mib"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"; tc qdisc del dev lo root 2>/dev/null || true' EXIT
base="http://$KIVO_CAMSIM_ADDRESS:8080/videos/DCIM/100GOPRO/"
control() { "$KIVO_CAMSIM" --control "$KIVO_CAMSIM_CONTROL" "$@" >/dev/null; }
names=$(curl -s "$base" | sed -n 's/.*href="\(GOPR[0-9]*\.MP4\)".*/\1/p' | sort -u)
big=$(for n in $names; do
  s=$(curl -sI "$base$n" | tr -d '\r' | sed -n 's/^Content-Length: //p')
  [ "${s:-0}" -gt 100000000 ] && echo "$n"
done)
[ -n "$big" ] || { echo "no large files on the simulated card" >&2; exit 1; }

curl_loop() {  # DIR NAME...: curl -C - until each file is whole
  local dir=$1; shift
  local start=$(date +%s.%N)
  for n in "$@"; do
    until curl -s -f -C - -o "$dir/$n" "$base$n"; do :; done
  done
  awk -v a="$(date +%s.%N)" -v b="$start" 'BEGIN { printf "%.3f", a - b }'
}
bytes() { du -cb "$@" | tail -1 | cut -f1; }

run_pair() {  # LABEL NAME...
  local label=$1; shift
  rm -rf "$work/k" "$work/c"; mkdir -p "$work/k" "$work/c"
  local ks cs
  ks=$("$bin/kivo_fetch_bench" "$base" "$work/k" "$@" | sed -n 's/^kivo_seconds //p')
  cs=$(curl_loop "$work/c" "$@")
  local total
  total=$(bytes "$work/c"/*)
  awk -v l="$label" -v b="$total" -v k="$ks" -v c="$cs" 'BEGIN {
    printf "%s: %.0f MiB   kivo %.1f MiB/s (%.2f s)   curl -C - loop %.1f MiB/s (%.2f s)   ratio %.2fx (goal >= 0.95)\n",
      l, b/1048576, b/1048576/k, k, b/1048576/c, c, c/k }'
}

echo "== 1. unshaped loopback, 1 GiB"
run_pair "unshaped" $big
cp -r "$work/c" "$work/reference"

echo "== 2. shaped link, $shaped_mib MiB"
ip link set lo mtu 1500  # Wi-Fi's frame size; a token bucket needs a burst above it
if tc qdisc add dev lo root netem rate 25mbit delay 5ms loss 0.5% 2>/dev/null; then
  echo "   netem: 25 Mbit/s, 5 ms, 0.5 % loss"
else
  tc qdisc add dev lo root tbf rate 25mbit burst 64kb latency 100ms
  echo "   netem is not available here (sch_netem cannot be loaded): token bucket 25 Mbit/s only,"
  echo "   no delay, no loss"
fi
# Both tools start from the same partial copy of the first file and resume it, so each fetches
# exactly its last N MiB.
first=$(echo $big | cut -d' ' -f1)
rm -rf "$work/k" "$work/c"; mkdir -p "$work/k" "$work/c"
head -c $(( 256 * 1048576 - shaped_mib * 1048576 )) "$work/reference/$first" > "$work/k/$first.part"
cp "$work/k/$first.part" "$work/c/$first"
ks=$("$bin/kivo_fetch_bench" "$base" "$work/k" "$first" | sed -n 's/^kivo_seconds //p')
cs=$(curl_loop "$work/c" "$first")
awk -v b="$((shaped_mib * 1048576))" -v k="$ks" -v c="$cs" 'BEGIN {
  printf "shaped: %.0f MiB   kivo %.2f MiB/s (%.1f s)   curl -C - loop %.2f MiB/s (%.1f s)   ratio %.2fx\n",
    b/1048576, b/1048576/k, k, b/1048576/c, c, c/k }'
cmp -s "$work/k/$first" "$work/reference/$first" || echo "   kivo's copy differs!"
tc qdisc del dev lo root
ip link set lo mtu 65536

echo "== 3. flaky link (drop every 32 MB), 1 GiB with kivo"
control fault flaky 32 8080
rm -rf "$work/k"; mkdir -p "$work/k"
"$bin/kivo_fetch_bench" "$base" "$work/k" $big | sed 's/^/   /'
control fault none 8080
corrupted=0
for n in $big; do cmp -s "$work/k/$n" "$work/reference/$n" || corrupted=$((corrupted + 1)); done
echo "flaky: corrupted files $corrupted of $(echo $big | wc -w) (goal 0)"
