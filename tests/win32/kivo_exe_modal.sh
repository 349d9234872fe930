#!/usr/bin/env bash
# kivo.exe keeps talking to the camera while Windows runs a modal loop of its own: Help > About
# is opened 7 s after the start (its message box stays up for 20 s, then is closed as its close
# box would) beside the simulated camera in a private network namespace. Over the whole run the
# BacPac status poll (every 5 s while the camera is idle) never pauses for more than 8 s, and
# every poll but the last is followed by its camera status request before the next poll, as
# when no box is open.
#
#   tests/win32/kivo_exe_modal.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ $# -ge 3 ] || { echo "usage: kivo_exe_modal.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX" >&2; exit 2; }

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  exec "$here/../e2e/netns_run.sh" --camsim "$2" -- bash "${BASH_SOURCE[0]}" "$@"
fi

exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
mkdir -p "$3"
export KIVO_WINEPREFIX=$(cd "$3" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/kivo.exe"

fail() {
  echo "kivo_exe_modal: $*" >&2
  echo "--- kivo.exe said:" >&2
  cat "$work/kivo.log" >&2 || true
  echo "--- the camera's request log:" >&2
  cat "$KIVO_CAMSIM_LOG" >&2 || true
  exit 1
}

xvfb-run -a -s "-screen 0 1024x768x24" "$here/wine_run.sh" "$work/kivo.exe" \
  --choose About1@7000 --dismiss 27000 --quit-after 29500 2> "$work/kivo.log" ||
  fail "kivo.exe ended with status $?"
# Standard error is in text mode: CR LF line ends.
sed -i "s/\r$//" "$work/kivo.log"

grep -q "message box: .*Kivo version" "$work/kivo.log" || fail "the About box did not open"
grep -q "dismissing a dialog" "$work/kivo.log" || fail "the About box was not open 20 s later"
# "MS PORT METHOD TARGET": the polls' times and their order.
awk '
  $4 ~ /^\/bacpac\/se\?/ {
    if (polls > 0 && !answered) { print "poll at " last " ms had no camera status request"; bad = 1 }
    if (polls > 0 && $1 - last > 8000) { print "no poll from " last " to " $1 " ms"; bad = 1 }
    last = $1; polls++; answered = 0
  }
  $4 ~ /^\/camera\/se\?/ { answered = 1 }
  END {
    if (polls < 5) { print "only " polls " polls in the run"; bad = 1 }
    exit bad
  }' "$KIVO_CAMSIM_LOG" > "$work/verdict" || fail "$(cat "$work/verdict")"
echo "kivo_exe_modal: passed"
