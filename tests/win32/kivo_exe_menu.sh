#!/usr/bin/env bash
# A menu held open from the keyboard while the menu bar changes under it: once the camera is
# connected, Alt+F opens File and Down moves in it; the camera is switched off by its own
# button (the simulator's power control), so Mode, Settings and SD Card turn grey; Escape twice
# leaves the menu. The window must go on: the camera is polled after Escape, the open menu's
# focus reports arrive, and --quit-after closes it.
#
#   tests/win32/kivo_exe_menu.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX
set -euo pipefail
usage="KIVO_EXE KIVO_CAMSIM WINEPREFIX"
on_failure() {
  kill "$helper" 2> /dev/null || true
  echo "--- the camera's request log:"
  cat "$KIVO_CAMSIM_LOG"
}
. "$(dirname "${BASH_SOURCE[0]}")/kivo_exe_lib.sh"

# Each key but Alt+F is followed by a focus report on standard error: the first (after Down)
# says the menu is open, the third (after the second Escape) that it is closed.
reports() {
  local n
  n=$(grep -c "^kivo: focus on" "$log" 2> /dev/null) || true
  echo "${n:-0}"
}
wait_reports() {  # COUNT SECONDS
  for _ in $(seq $(($2 * 10))); do
    [ "$(reports)" -ge "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
(
  wait_reports 1 150 || exit 0
  "$KIVO_CAMSIM" --control "$KIVO_CAMSIM_CONTROL" set power off > /dev/null
  wait_reports 3 150 || exit 0
  wc -l < "$KIVO_CAMSIM_LOG" > "$work/escaped_at"
) &
helper=$!
# Times from kivo.exe's start: they leave the camera time to be found on, the menu
# open across two polls after the power change, and the window a poll after Escape.
run_kivo --keys "Alt+F Down"@12000 --keys "Escape Escape"@24000 --quit-after 32000
wait "$helper"

[ "$(reports)" -ge 3 ] || fail "the keys were not all typed (the window hung behind the menu?)"
[ -s "$work/escaped_at" ] || fail "Escape was not reported"
tail -n +"$(($(cat "$work/escaped_at") + 1))" "$KIVO_CAMSIM_LOG" | grep -q " GET /bacpac/se" ||
  fail "no poll reached the camera after Escape"
echo "kivo_exe_menu: passed"
