#!/usr/bin/env bash
# kivo-cli beside curl, same run, against the simulated camera inside a private network namespace.
#
#   bench/cli/cli_bench.sh [--status-runs N]
#
# 1. get --all of a card with 4 videos of 256 MiB (and their companions), unshaped loopback,
#    beside curl -C - in a retry loop fetching the same files; throughputs and ratio.
# 2. The same through the flaky-link fault (a drop every 32 MB), both tools; every file compared
#    with the unshaped copy: corrupted files (goal 0).
# 3. "kivo-cli status" from start to exit beside one curl of /bacpac/se plus one of /camera/se,
#    N times each (default 50); mean time per run and ratio (goal within 1.5x).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$root/build/bin
runs=50
[ "${1:-}" = "--status-runs" ] && runs=$2

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  exec "$root/tests/e2e/netns_run.sh" --camsim "$bin/kivo-camsim" \
    --camsim-arg --fill-card --camsim-arg "videos=4 video-size=256M" \
    --camsim-args "--listing table --media-root /videos/DCIM/" \
    -- "$0" --status-runs "$runs"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli=$bin/kivo-cli
control() { "$KIVO_CAMSIM" --control "$KIVO_CAMSIM_CONTROL" "$@" > /dev/null; }
now() { date +%s.%N; }
since() { awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.3f", a - b }'; }

# Every file get --all fetches: each item and its companions, as folder/name and URL.
"$cli" --json ls > "$work/ls.json"
jq -r '(.url | sub("[^/]*$"; "")) as $dir | ([.name] + [.companions[].name])[] | $dir + .' \
  "$work/ls.json" > "$work/urls"

curl_loop() {  # DIR: curl -C - until each file is whole
  local dir=$1 start url name
  start=$(now)
  while read -r url; do
    name=$(basename "$(dirname "$url")")/$(basename "$url")
    mkdir -p "$dir/$(dirname "$name")"
    until curl -s -f -C - -o "$dir/$name" "$url"; do :; done
  done < "$work/urls"
  since "$start"
}
kivo_get() {  # DIR
  local start
  start=$(now)
  "$cli" --quiet get --all --to "$1"
  since "$start"
}
bytes() { du -cb "$1" | tail -1 | cut -f1; }

pair() {  # LABEL
  rm -rf "$work/k" "$work/c"
  local ks cs
  ks=$(kivo_get "$work/k")
  cs=$(curl_loop "$work/c")
  awk -v l="$1" -v b="$(bytes "$work/c")" -v kb="$(bytes "$work/k")" -v k="$ks" -v c="$cs" 'BEGIN {
    printf "%s: %.0f MiB (kivo-cli %.0f MiB)   kivo-cli %.1f MiB/s (%.2f s)   curl -C - loop %.1f MiB/s (%.2f s)   ratio %.2fx (goal >= 1)\n",
      l, b/1048576, kb/1048576, kb/1048576/k, k, b/1048576/c, c, c/k }'
}

echo "== 1. get --all, unshaped loopback"
pair "unshaped"
mv "$work/k" "$work/reference"
diff -r -q "$work/reference" "$work/c" > /dev/null || echo "   kivo-cli's and curl's copies differ!"

echo "== 2. get --all through the flaky link (a drop every 32 MB)"
control fault flaky 32 8080
pair "flaky"
control fault none 8080
corrupted=0
total=0
while read -r f; do
  total=$((total + 1))
  cmp -s "$work/k/$f" "$work/reference/$f" || corrupted=$((corrupted + 1))
done < <(cd "$work/reference" && find . -type f | sed 's|^\./||')
leftover=$(find "$work/k" -name '*.part' | wc -l)
echo "flaky: corrupted files $corrupted of $total, .part files left $leftover (goal 0)"

echo "== 3. status, start to exit, $runs runs each"
base="http://$KIVO_CAMSIM_ADDRESS"
start=$(now)
for _ in $(seq "$runs"); do "$cli" status > /dev/null; done
ks=$(since "$start")
start=$(now)
for _ in $(seq "$runs"); do
  curl -s -o /dev/null "$base/bacpac/se?t=cameralnk"
  curl -s -o /dev/null "$base/camera/se?t=cameralnk"
done
cs=$(since "$start")
awk -v n="$runs" -v k="$ks" -v c="$cs" 'BEGIN {
  printf "status: kivo-cli %.1f ms per run   two curls %.1f ms per run   ratio %.2fx (goal <= 1.5)\n",
    k*1000/n, c*1000/n, k/c }'
