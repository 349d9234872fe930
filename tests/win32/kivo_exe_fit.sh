#!/usr/bin/env bash
# kivo.exe, installed, on a small screen at a high DPI: Wine set to DPI (LogPixels) on a
# 1024x768 virtual display, the main window's place saved far off every monitor, Browse and
# Download opened after 4 s, no camera answering. Read back from the native controls, both
# windows and every control they show lie inside the screen (Refresh, the Download buttons,
# Cancel, the status bar among them); the status bar says briefly where the settings are kept
# (%APPDATA%\Kivo), the error log says it in full with Windows' separators; and no hint shows
# that the resting pointer did not ask for. Leaves pictures of both windows in
# OUT_DIR/kivo-windows-DPIdpi.bmp and ...-browse.bmp.
#
#   tests/win32/kivo_exe_fit.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX OUT_DIR DPI
set -euo pipefail
usage="KIVO_EXE KIVO_CAMSIM WINEPREFIX OUT_DIR DPI"
. "$(dirname "${BASH_SOURCE[0]}")/kivo_exe_lib.sh"

out=$4
dpi=$5
mkdir -p "$out"
log=$out/fit-${dpi}dpi.log
# The prefix's DPI is set while no wineserver runs.
export value section
value=$(printf '"LogPixels"=dword:%08x' "$dpi")
for reg in 'user.reg:[Control Panel\\Desktop]' \
           'system.reg:[System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]'; do
  file=$KIVO_WINEPREFIX/${reg%%:*}
  section=${reg#*:}
  sed -i '/^"LogPixels"=/d' "$file"
  grep -qF "$section" "$file" || printf '\n%s\n' "$section" >> "$file"
  awk '{ print } index($0, ENVIRON["section"]) == 1 { print ENVIRON["value"] }' "$file" \
    > "$work/reg" && cp "$work/reg" "$file"
done
# Installed in Program Files, kivo.exe keeps its settings in %APPDATA%\Kivo and says so.
program="$KIVO_WINEPREFIX/drive_c/Program Files/Kivo/kivo.exe"
mkdir -p "$(dirname "$program")"
cp "$exe" "$program"
shopt -s nullglob
roaming=("$KIVO_WINEPREFIX"/drive_c/users/*/AppData/Roaming)
[ ${#roaming[@]} = 1 ] || fail "the prefix has no AppData\Roaming"
settings=${roaming[0]}/Kivo
mkdir -p "$settings"
rm -f "$settings/ErrorLog.txt"
# No camera answers at the address (the note stands until the first poll finds none).
printf '[Kivo]\r\nLeft=5000\r\nTop=3000\r\n[BacPac]\r\nIPAddress=10.5.5.99\r\n' \
  > "$settings/Kivo.ini"

run_kivo --print StatusBar@300 --click BrowseDownload1@4000 \
  --screenshot "$out/kivo-windows-${dpi}dpi.bmp" --screenshot-delay 10000 \
  --rects Browse@10500 --rects Form1@10500 --rects Form1@1500 --rects Form1@3000 \
  --quit-after 12000

for name in Browse RefreshBtn DownloadSelectedBtn DownloadAllBtn CancelBtn BrowseStatus FileList \
            Form1 OnBtn StatusBar; do
  grep -q "^kivo: rect [A-Za-z0-9]* $name " "$log" || fail "$name was not shown"
done
outside=$(awk '$1 == "kivo:" && $2 == "rect" &&
               ($5 < 0 || $6 < 0 || $7 > 1024 || $8 > 768) { print $4 " " $5 " " $6 " " $7 " " $8 }' "$log")
[ -z "$outside" ] || fail "off the 1024x768 screen at $dpi dpi: $outside"
# The note on the settings' folder reads whole in the status bar, the full one is in the log.
grep -qF 'kivo: StatusBar: Settings are kept in %APPDATA%\Kivo' "$log" ||
  fail "the status bar did not say where the settings are kept"
grep -q 'settings are kept in C:\\users\\[^/]*\\Kivo\\' "$settings/ErrorLog.txt" ||
  fail "ErrorLog.txt does not name the settings' folder with backslashes"
# Xvfb's pointer rests in the middle of the screen, over the main window: no hint shows unasked.
! grep "^kivo: hint showing" "$log" || fail "a hint showed before the pointer moved"
echo "kivo_exe_fit ($dpi dpi): passed; every control inside the screen"
