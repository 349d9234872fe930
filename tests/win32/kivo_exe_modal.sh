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
usage="KIVO_EXE KIVO_CAMSIM WINEPREFIX"
. "$(dirname "${BASH_SOURCE[0]}")/kivo_exe_lib.sh"

run_kivo --choose About1@7000 --dismiss 27000 --quit-after 29500

grep -q "message box: .*Kivo version" "$log" || fail "the About box did not open"
grep -q "dismissing a dialog" "$log" || fail "the About box was not open 20 s later"
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
