#!/usr/bin/env bash
# Browse and Download in kivo.exe under Wine, beside the simulated camera (a filled card, its
# media server dropping the link every 8 MB) in a private network namespace, on a virtual
# display. The window opens by --browse (MODE "browse") or through SD Card > "Browse and
# Download..." chosen in the menu (MODE "menu"); it lists the card; the two newest rows are
# selected in the list view and "Download Selected" is pressed; both files (a video among them,
# resumed across the drops) land in the Pictures folder's Kivo folder equal to the camera's.
# Leaves pictures of the windows in OUT_DIR/browse-MODE.bmp and browse-MODE-browse.bmp.
#
#   tests/win32/kivo_exe_browse.sh KIVO_EXE KIVO_CAMSIM WINEPREFIX OUT_DIR MODE
set -euo pipefail
usage="KIVO_EXE KIVO_CAMSIM WINEPREFIX OUT_DIR MODE"
camsim_args=(--camsim-arg --fill-card --camsim-arg "photos=3 videos=2 video-size=20M"
             --camsim-arg --fault --camsim-arg "flaky 8 8080")
on_failure() {
  echo "--- the camera's media requests:"
  grep " 8080 " "$KIVO_CAMSIM_LOG"
}
. "$(dirname "${BASH_SOURCE[0]}")/kivo_exe_lib.sh"

out=$4
mode=$5
test_name="$test_name ($mode)"
mkdir -p "$out"
log=$out/browse-$mode.log

# Times from kivo.exe's start. By menu the item waits for the camera to be found on (the SD
# Card menu is enabled then).
case $mode in
  browse) open=(--browse) start=9000 ;;
  menu) open=(--choose BrowseDownload1@12000) start=19000 ;;
  *) echo "kivo_exe_browse: MODE is browse or menu" >&2; exit 2 ;;
esac
select_at=$start download_at=$((start + 1000)) shot_at=$((start + 12000))

# A new prefix links the user's Pictures folder to $HOME: make it a folder of the prefix, so
# that nothing is written outside the build tree.
if [ ! -f "$KIVO_WINEPREFIX/system.reg" ]; then
  "$kivo_exe_tests/wine_run.sh" "$work/kivo.exe" --version > /dev/null 2>&1 || true
fi
for pictures in "$KIVO_WINEPREFIX"/drive_c/users/*/Pictures; do
  [ "$(basename "$(dirname "$pictures")")" = Public ] && continue
  if [ -L "$pictures" ]; then rm "$pictures" && mkdir "$pictures"; fi
  rm -rf "$pictures/Kivo"
done

run_kivo "${open[@]}" --select "FileList=0,1@$select_at" --choose "DownloadSelectedBtn@$download_at" \
  --screenshot "$out/browse-$mode.bmp" --screenshot-delay "$shot_at" --quit-after $((shot_at + 2000))

grep -q "browse status bar: Downloaded [0-9]*, already here 0, failed 0 of [0-9]* files" "$log" ||
  fail "the download did not end with every file downloaded"
shopt -s nullglob
kivo=("$KIVO_WINEPREFIX"/drive_c/users/*/Pictures/Kivo)
[ ${#kivo[@]} = 1 ] || fail "nothing was downloaded into Pictures\\Kivo"
mapfile -t mains < <(cd "$kivo" && find . -type f \( -name '*.JPG' -o -name '*.MP4' \) | sort)
[ ${#mains[@]} = 2 ] || fail "downloaded ${#mains[@]} pictures and videos, not the two selected"
[ "$(grep -c " 8080 GET .*\.MP4$" "$KIVO_CAMSIM_LOG")" -ge 2 ] ||
  fail "no video was resumed after the link dropped"

# Every file that arrived, compared with a fresh copy from the camera (the link fixed first).
"$KIVO_CAMSIM" --control "$KIVO_CAMSIM_CONTROL" fault none > /dev/null
checked=0
while IFS= read -r file; do
  rel=${file#./}
  got=
  for root in /videos/DCIM/ /DCIM/ /videos/; do
    if curl -sf -o "$work/camera" "http://$KIVO_CAMSIM_ADDRESS:8080$root$rel"; then got=1; break; fi
  done
  [ -n "$got" ] || fail "the camera has no $rel"
  cmp -s "$work/camera" "$kivo/$rel" || fail "$rel differs from the camera's"
  checked=$((checked + 1))
done < <(cd "$kivo" && find . -type f | sort)
[ -s "$out/browse-$mode-browse.bmp" ] || fail "no picture of the Browse window"
echo "kivo_exe_browse ($mode): passed; ${mains[*]} and their companions ($checked files) equal" \
  "the camera's; pictures in $out/browse-$mode*.bmp"
