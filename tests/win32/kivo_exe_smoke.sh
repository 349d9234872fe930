#!/usr/bin/env bash
# End-to-end smoke test of kivo.exe under Wine: beside the simulated camera in a private network
# namespace (tests/e2e/netns_run.sh), on a virtual display. Kivo pings and polls the camera, the
# status bar says "Connected Camera is on", Mode > Video (chosen through the window's own menu
# command) reaches the camera as its exact URL, and File > Exit writes Kivo.ini with CR LF line
# ends beside kivo.exe. Leaves the window's picture in OUT_DIR/kivo-wine.bmp.
#
#   tests/win32/kivo_exe_smoke.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX [OUT_DIR]
set -euo pipefail
usage="KIVO_EXE KIVO_CAMSIM WINEPREFIX [OUT_DIR]"
. "$(dirname "${BASH_SOURCE[0]}")/kivo_exe_lib.sh"

out=${4:-$(dirname "$exe")}
mkdir -p "$out"
log=$out/kivo-wine.log

# Times from kivo.exe's start: the first status poll follows the first echo reply within about
# five seconds (with room for a slow Wine start); the screenshot is taken after the command,
# then the window closes as File > Exit.
run_kivo --choose Video1@14000 --screenshot "$out/kivo-wine.bmp" --screenshot-delay 18000 \
  --choose Exit1@19000 --quit-after 40000

grep -q "status bar: Connected Camera is on" "$log" ||
  fail "the status bar did not say \"Connected Camera is on\""
grep -q " GET /bacpac/se?t=cameralnk$" "$KIVO_CAMSIM_LOG" || fail "no BacPac status poll"
grep -q " GET /camera/se?t=cameralnk$" "$KIVO_CAMSIM_LOG" || fail "no camera status poll"
grep -q " GET /camera/CM?t=cameralnk&p=%00$" "$KIVO_CAMSIM_LOG" ||
  fail "Mode > Video did not reach the camera"
[ -f "$work/Kivo.ini" ] || fail "File > Exit wrote no Kivo.ini beside kivo.exe"
grep -q $'^\\[.*\\]\r$' "$work/Kivo.ini" || fail "Kivo.ini has no CR LF line ends"
[ -s "$out/kivo-wine.bmp" ] || fail "no screenshot"
echo "kivo_exe_smoke: passed; screenshot in $out/kivo-wine.bmp"
