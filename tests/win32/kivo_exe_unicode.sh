#!/usr/bin/env bash
# kivo.exe run from a folder whose name is not ASCII ("Cámara Kivo ĳ", letters of two different
# Windows code pages) beside the simulated camera: its settings are read from and written back
# to Kivo.ini there, the Wi-Fi monitor's script runs kivo.exe's own query, which answers there
# (no message box: Wine has no Wi-Fi), the camera clock is read through a temporary reply file,
# a photo is downloaded into the folder, and no temporary or side file is left behind.
#
#   tests/win32/kivo_exe_unicode.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX
set -euo pipefail
usage="KIVO_EXE KIVO_CAMSIM WINEPREFIX"
on_failure() {
  echo "--- the folder holds:"
  ls -la "$dir"
  echo "--- the camera's request log:"
  cat "$KIVO_CAMSIM_LOG"
}
. "$(dirname "${BASH_SOURCE[0]}")/kivo_exe_lib.sh"

dir="$work/Cámara Kivo ĳ"
mkdir -p "$dir"
program=$dir/kivo.exe
cp "$exe" "$program"
printf '[Kivo]\r\nShowWiFi=1\r\n' > "$dir/Kivo.ini"

# The photo's message box is closed as its close box would, then File > Exit.
run_kivo --click DownloadBtn@12000 --dismiss 20000 --print CamDate@21000 --print Form1@21000 \
  --choose Exit1@23000 --quit-after 40000

grep -q "kivo: CamDate: [A-Z][a-z][a-z] [0-9]" "$log" ||
  fail "the camera clock was never read"
grep -q "kivo: Form1: Kivo$" "$log" || fail "the Wi-Fi answer changed the caption"
grep -q "message box: .* downloaded as .*\.jpg$" "$log" || fail "no photo was downloaded"
if grep "message box:" "$log" | grep -qv " downloaded as "; then
  fail "a message box other than the download's came up"
fi
grep -q $'^ShowWiFi=1\r$' "$dir/Kivo.ini" || fail "Kivo.ini lost ShowWiFi=1"
grep -q $'^\\[.*\\]\r$' "$dir/Kivo.ini" || fail "Kivo.ini was not written back"
name=$(sed -n 's/.* downloaded as \(.*\.jpg\)$/\1/p' "$log" | head -n 1)
[ -s "$dir/$name" ] || fail "the photo $name is not in the folder"
# The Wi-Fi query's answer is there, or was read and removed with its script. (Under Wine a
# second process may take longer than the monitor's one second to start: then the answer is
# still waiting for the next query.)
if [ -e "$dir/getSSID.txt" ]; then
  grep -q " State " "$dir/getSSID.txt" || fail "the Wi-Fi answer has no State line"
elif [ -e "$dir/GetSSID.bat" ]; then
  fail "the Wi-Fi query script ran but wrote no answer"
fi
leftovers=$(ls "$dir" | grep -Ei '^TMP|\.part$|\.tmp$' || true)
[ -z "$leftovers" ] || fail "left behind: $leftovers"
echo "kivo_exe_unicode: passed"
