#!/usr/bin/env bash
# SIGTERM closes the real program the way File > Exit does: the settings file is written.
# The program runs offscreen from a copy in a temporary folder (its program folder), inside a
# private network namespace, because it pings the camera address as soon as it starts.
set -euo pipefail
kivo=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$kivo" "$dir/kivo"
QT_QPA_PLATFORM=offscreen unshare -rn sh -c 'ip link set lo up 2>/dev/null; exec "$0"' "$dir/kivo" &
pid=$!
for _ in $(seq 100); do
  [ -e "$dir/Kivo.ini" ] && { echo "settings written before the signal"; exit 1; }
  sleep 0.05
done
kill -TERM "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; echo "still running after SIGTERM"; exit 1; fi
grep -q '^Password=cameralnk$' "$dir/Kivo.ini" || { echo "no settings written"; exit 1; }
grep -q '^Debug=0$' "$dir/Kivo.ini"
echo "SIGTERM closed the window and saved $(wc -l < "$dir/Kivo.ini") settings lines"
