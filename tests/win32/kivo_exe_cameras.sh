#!/usr/bin/env bash
# The Cameras window of kivo.exe under Wine, beside a rig of three simulated cameras (each at
# the camera address behind its own interface, kcam1..kcam3), on a virtual display: opened by
# --cameras, it finds the three adapters, reads a camera through each, and Record All sends the
# command through each. Wine accepts tying a socket to an adapter but sends every connection
# along the first route (all three reach camera 1), so which camera answered each row is not
# checked here (the Linux test does). The third row chosen in the list becomes the main window's
# camera. Leaves a picture of both windows in OUT_DIR/cameras.bmp and cameras-cameras.bmp.
#
#   tests/win32/kivo_exe_cameras.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX OUT_DIR
set -euo pipefail
usage="KIVO_EXE KIVO_CAMSIM WINEPREFIX OUT_DIR"
camsim_args=(--cameras 3 --camera-arg 2 "--model 11" --camera-arg 3 "--model 2")
on_failure() {
  for i in 1 2 3; do
    v=KIVO_RIG_LOG_$i
    echo "--- camera $i's request log:"
    cat "${!v}"
  done
}
. "$(dirname "${BASH_SOURCE[0]}")/kivo_exe_lib.sh"

out=$4
mkdir -p "$out"
log=$out/cameras.log
run_kivo --cameras --print CamerasStatus@7000 --choose RecordAllBtn@8000 \
  --print CamerasStatus@11000 --select CameraList=2@11500 --choose ControlBtn@12000 \
  --print CamerasStatus@12500 --screenshot "$out/cameras.bmp" --screenshot-delay 13000 \
  --quit-after 15000

grep -q "^kivo: CamerasStatus: 3 cameras$" "$log" || fail "the window did not find the three adapters"
# Under Wine all three commands reach camera 1, which refuses the second and third (it is
# recording by then); every camera is still named with its outcome.
outcome=$(grep "^kivo: CamerasStatus: Record All: " "$log" | tail -1)
for name in kcam1 kcam2 kcam3; do
  [[ "$outcome" == *"$name"* ]] || fail "Record All said nothing of $name: $outcome"
done
[[ "$outcome" == "kivo: CamerasStatus: Record All: kcam1 done"* ]] ||
  fail "Record All was not done on camera 1: $outcome"
grep -q "^kivo: CamerasStatus: The main window controls the camera on kcam3$" "$log" ||
  fail "the third row, chosen in the list, did not become the main window's camera"
[ -s "$out/cameras-cameras.bmp" ] || fail "no picture of the Cameras window"
records=0
for i in 1 2 3; do
  v=KIVO_RIG_LOG_$i
  records=$((records + $(grep -c "/bacpac/SH?t=cameralnk&p=%01" "${!v}" || true)))
done
[ "$records" = 3 ] || fail "the cameras got $records record commands, not 3"
echo "$test_name: passed"
