#!/usr/bin/env bash
# End-to-end smoke test of kivo.exe under Wine: beside the simulated camera in a private network
# namespace (tests/e2e/netns_run.sh), on a virtual display. Kivo pings and polls the camera, the
# status bar says "Connected Camera is on", Mode > Video (chosen through the window's own menu
# command) reaches the camera as its exact URL, and File > Exit writes Kivo.ini with CR LF line
# ends beside kivo.exe. Leaves the window's picture in OUT_DIR/kivo-wine.bmp.
#
#   tests/win32/kivo_exe_smoke.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ $# -ge 3 ] || { echo "usage: kivo_exe_smoke.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX [OUT_DIR]" >&2; exit 2; }

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  exec "$here/../e2e/netns_run.sh" --camsim "$2" -- bash "${BASH_SOURCE[0]}" "$@"
fi

exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
export KIVO_WINEPREFIX=$(cd "$3" && pwd)
out=${4:-$(dirname "$exe")}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/kivo.exe"

fail() {
  echo "kivo_exe_smoke: $*" >&2
  echo "--- kivo.exe said:" >&2
  cat "$out/kivo-wine.log" >&2 || true
  echo "--- the camera's request log:" >&2
  cat "$KIVO_CAMSIM_LOG" >&2 || true
  exit 1
}

# Times from kivo.exe's start: the first status poll follows the first echo reply within about
# five seconds (with room for a slow Wine start); the screenshot is taken after the command,
# then the window closes as File > Exit.
xvfb-run -a -s "-screen 0 1024x768x24" "$here/wine_run.sh" "$work/kivo.exe" \
  --choose Video1@14000 --screenshot "$out/kivo-wine.bmp" --screenshot-delay 18000 \
  --choose Exit1@19000 --quit-after 40000 2> "$out/kivo-wine.log" ||
  fail "kivo.exe ended with status $?"

grep -q "status bar: Connected Camera is on" "$out/kivo-wine.log" ||
  fail "the status bar did not say \"Connected Camera is on\""
grep -q " GET /bacpac/se?t=cameralnk$" "$KIVO_CAMSIM_LOG" || fail "no BacPac status poll"
grep -q " GET /camera/se?t=cameralnk$" "$KIVO_CAMSIM_LOG" || fail "no camera status poll"
grep -q " GET /camera/CM?t=cameralnk&p=%00$" "$KIVO_CAMSIM_LOG" ||
  fail "Mode > Video did not reach the camera"
[ -f "$work/Kivo.ini" ] || fail "File > Exit wrote no Kivo.ini beside kivo.exe"
grep -q $'^\\[.*\\]\r$' "$work/Kivo.ini" || fail "Kivo.ini has no CR LF line ends"
[ -s "$out/kivo-wine.bmp" ] || fail "no screenshot"
echo "kivo_exe_smoke: passed; screenshot in $out/kivo-wine.bmp"
