#!/usr/bin/env bash
# kivo-cli.exe under Wine beside the simulated camera: "get --all --to" a folder named in
# letters of three Windows code pages ("Zoë Cámara ĳ", made by kivo-cli.exe itself) receives
# every file of the card, each equal to the camera's, and the paths it prints name that folder.
#
#   tests/win32/kivo_cli_exe_get.sh KIVO_CLI_EXE KIVO_CAMSIM WINEPREFIX
set -euo pipefail
usage="KIVO_CLI_EXE KIVO_CAMSIM WINEPREFIX"
camsim_args=(--camsim-arg --fill-card --camsim-arg "photos=2 videos=1 video-size=200K")
on_failure() {
  echo "--- kivo-cli.exe printed:"
  cat "$work/out.txt"
  echo "--- the folder holds:"
  find "$work" -type f
}
. "$(dirname "${BASH_SOURCE[0]}")/kivo_exe_lib.sh"

name="Zoë Cámara ĳ"
cp "$exe" "$work/kivo-cli.exe"
status=0
(cd "$work" && timeout 150 "$kivo_exe_tests/wine_run.sh" "$work/kivo-cli.exe" get --all \
  --to "$name" > "$work/out.txt" 2> "$log") || status=$?
sed -i "s/\r$//" "$work/out.txt" "$log"
[ "$status" = 0 ] || fail "kivo-cli.exe get ended with status $status"
[ -d "$work/$name" ] || fail "no folder \"$name\": $(ls "$work")"
files=$(cd "$work/$name" && find . -type f | sort)
[ -n "$files" ] || fail "nothing arrived in \"$name\""
printed=$(grep -c "^downloaded  $name\\\\" "$work/out.txt" || true)
[ "$printed" = "$(echo "$files" | wc -l)" ] ||
  fail "printed $printed paths in \"$name\" for $(echo "$files" | wc -l) files"
while IFS= read -r file; do
  rel=${file#./}
  got=
  for root in /videos/DCIM/ /DCIM/ /videos/; do
    if curl -sf -o "$work/camera" "http://$KIVO_CAMSIM_ADDRESS:8080$root$rel"; then got=1; break; fi
  done
  [ -n "$got" ] || fail "the camera has no $rel"
  cmp -s "$work/camera" "$work/$name/$rel" || fail "$rel differs from the camera's"
done <<< "$files"
echo "kivo_cli_exe_get: passed; $printed files in \"$name\""
