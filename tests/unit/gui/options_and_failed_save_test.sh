#!/usr/bin/env bash
# The real program's command line without a display (--help, --version, an unknown option), and
# SIGTERM when the settings cannot be saved (Kivo.ini is a folder): the failure goes to standard
# error and the program ends. It runs offscreen inside a private network namespace, because it
# pings the camera address as soon as it starts.
set -euo pipefail
kivo=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$kivo" "$dir/kivo"
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$dir/kivo" "$@"; }

nodisplay --help > "$dir/out" || { echo "--help failed without a display"; exit 1; }
grep -q '^Usage: kivo' "$dir/out" || { echo "--help printed no usage"; exit 1; }
nodisplay --version > "$dir/out" || { echo "--version failed without a display"; exit 1; }
grep -q '^Kivo version 0\.35$' "$dir/out" || { echo "--version printed: $(cat "$dir/out")"; exit 1; }
status=0
nodisplay --no-such-option > "$dir/out" 2> "$dir/err" || status=$?
[ "$status" -eq 2 ] || { echo "unknown option ended with $status, not 2"; exit 1; }
grep -q '^Usage: kivo' "$dir/err" || { echo "unknown option: no usage on standard error"; exit 1; }
[ ! -s "$dir/out" ] || { echo "unknown option wrote to standard output"; exit 1; }

mkdir "$dir/Kivo.ini"  # the save cannot replace a folder
QT_QPA_PLATFORM=offscreen unshare -rn sh -c 'ip link set lo up 2>/dev/null; exec "$0"' \
  "$dir/kivo" 2> "$dir/err" &
pid=$!
sleep 2
kill -TERM "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; echo "still running after SIGTERM with a failed save"; exit 1; fi
status=0
wait "$pid" || status=$?
[ "$status" -eq 1 ] || { echo "ended with $status after a failed save, not 1"; exit 1; }
grep -q 'Kivo.ini' "$dir/err" || { echo "the failed save was not reported: $(cat "$dir/err")"; exit 1; }
# A second signal ends the program at once, whatever the first one started: both arrive while
# the program is stopped, so their handlers run back to back before the loop sees the first.
rm -rf "$dir/Kivo.ini"
QT_QPA_PLATFORM=offscreen unshare -rn sh -c 'ip link set lo up 2>/dev/null; exec "$0"' \
  "$dir/kivo" 2> "$dir/err" &
pid=$!
sleep 2
kill -STOP "$pid"; kill -HUP "$pid"; kill -TERM "$pid"; kill -CONT "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; echo "still running after two signals"; exit 1; fi
status=0
wait "$pid" || status=$?
case "$status" in 129|143) ;; *) echo "two signals ended it with $status, not 128 + the signal"; exit 1 ;; esac
echo "options work without a display; SIGTERM with a failed save reported it and ended; a second signal ends it at once"
