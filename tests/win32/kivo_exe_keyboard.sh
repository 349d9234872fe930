#!/usr/bin/env bash
# The keyboard in kivo.exe's window beside the simulated camera: once the camera is connected,
# Tab moves the focus from button to button (each one visible and enabled, all three buttons of
# the window in turn, then round again), Enter and Space press the focused button.
#
#   tests/win32/kivo_exe_keyboard.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX
set -euo pipefail
usage="KIVO_EXE KIVO_CAMSIM WINEPREFIX"
on_failure() { :; }  # the camera's log says nothing about the keyboard
. "$(dirname "${BASH_SOURCE[0]}")/kivo_exe_lib.sh"

# Tab four times (the window's three buttons and back to the first), Tab to the second, then
# Enter (Record starts) and Space (it stops).
run_kivo --keys "Tab Tab Tab Tab Tab Enter Space"@12000 --dismiss 16000 --quit-after 19000

mapfile -t focus < <(sed -n 's/^kivo: focus on //p' "$log")
[ "${#focus[@]}" -eq 7 ] || fail "expected 7 focus reports, got ${#focus[@]}"
for f in "${focus[@]:0:4}"; do
  case "$f" in OnBtn | RecordBtn | VLCBtn) ;; *) fail "Tab put the focus on \"$f\"" ;; esac
done
[ "${focus[0]}" != "${focus[1]}" ] && [ "${focus[1]}" != "${focus[2]}" ] &&
  [ "${focus[0]}" != "${focus[2]}" ] || fail "Tab did not visit three buttons: ${focus[*]:0:3}"
[ "${focus[3]}" = "${focus[0]}" ] || fail "Tab did not come round: ${focus[*]:0:4}"
mapfile -t clicked < <(sed -n 's/^kivo: clicked //p' "$log")
[ "${#clicked[@]}" -ge 2 ] || fail "Space and Enter pressed ${#clicked[@]} buttons"
[ "${clicked[0]}" = "${focus[4]}" ] || fail "Enter pressed ${clicked[0]}, not ${focus[4]}"
[ "${clicked[1]}" = "${focus[5]}" ] || fail "Space pressed ${clicked[1]}, not ${focus[5]}"
echo "kivo_exe_keyboard: passed"
