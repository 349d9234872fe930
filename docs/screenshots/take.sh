#!/usr/bin/env bash
# Takes the README's pictures again, each program beside the simulated camera in a private
# network namespace on a virtual display, and writes them here as PNG:
#   linux     kivo-linux.png: the Qt window, through scripts/run.sh (which builds kivo and
#             kivo-camsim in build/)
#   windows   kivo-windows-96dpi.png, kivo-windows-144dpi.png: kivo.exe under Wine at 96 and
#             144 dpi (tests/win32/kivo_exe_smoke.sh); browse-windows-144dpi.png: Browse and
#             Download on a filled card, browse-windows-downloaded.png: after downloading two
#             files through a link that drops every 8 MB (as tests/win32/kivo_exe_browse.sh
#             does), both at 144 dpi. Needs build-win/ (kivo.exe, kivo-cli.exe) and
#             build/bin/kivo-camsim.
# Each Windows picture comes from a fresh Wine prefix whose LogPixels (the DPI Wine reports) is
# set in HKCU\Control Panel\Desktop and in HKLM's current hardware profile, as winecfg sets it.
# Look at every picture before committing it.
#
#   docs/screenshots/take.sh [linux] [windows] [browse]   (default: linux windows; browse
#                                                         takes only the two Browse pictures)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# -gt 0 ] || set -- linux windows
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A BMP as kivo.exe's --screenshot writes it (24 or 32 bits a pixel) to PNG, with nothing but
# python3's standard library.
bmp_to_png() {  # IN.bmp OUT.png
  python3 - "$1" "$2" << 'EOF'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
step, stride = bits // 8, (width * bits // 8 + 3) & ~3
rows = []
for y in range(abs(height)):
    source = abs(height) - 1 - y if height > 0 else y
    line = data[offset + source * stride:offset + source * stride + width * step]
    rows.append(b"\0" + bytes(c for x in range(width) for c in line[x * step:x * step + 3][::-1]))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
EOF
}

# A fresh Wine prefix that reports DPI to programs.
dpi_prefix() {  # DPI PREFIX
  local reg=$2/drive_c/windows/system32/reg.exe
  KIVO_WINEPREFIX=$2 "$root/tests/win32/wine_run.sh" "$root/build-win/bin/kivo-cli.exe" --version \
    > /dev/null
  KIVO_WINEPREFIX=$2 "$root/tests/win32/wine_run.sh" "$reg" add 'HKCU\Control Panel\Desktop' \
    /v LogPixels /t REG_DWORD /d "$1" /f > /dev/null
  KIVO_WINEPREFIX=$2 "$root/tests/win32/wine_run.sh" "$reg" add \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f > /dev/null
  # A new prefix links the user's Pictures folder to $HOME: downloads stay in the prefix.
  local pictures
  for pictures in "$2"/drive_c/users/*/Pictures; do
    if [ -L "$pictures" ]; then rm "$pictures" && mkdir "$pictures"; fi
  done
}

for what in "$@"; do
  case $what in
    linux)
      env -u DISPLAY -u WAYLAND_DISPLAY KIVO_SCREENSHOT="$here/kivo-linux.png" \
        "$root/scripts/run.sh"
      ;;
    windows)
      camsim=$root/build/bin/kivo-camsim
      for dpi in 96 144; do
        dpi_prefix "$dpi" "$tmp/prefix-$dpi"
        "$root/tests/win32/kivo_exe_smoke.sh" "$root/build-win/bin/kivo.exe" "$camsim" \
          "$tmp/prefix-$dpi" "$tmp/smoke-$dpi"
        bmp_to_png "$tmp/smoke-$dpi/kivo-wine.bmp" "$here/kivo-windows-${dpi}dpi.png"
      done
      ;;&
    windows|browse)
      camsim=$root/build/bin/kivo-camsim
      [ -d "$tmp/prefix-144" ] || dpi_prefix 144 "$tmp/prefix-144"
      # The Browse window on the filled card (its media server dropping the link every 8 MB):
      # listed, then after the two newest files were downloaded (the picture late enough for a
      # loaded machine).
      cp "$root/build-win/bin/kivo.exe" "$tmp/kivo.exe"
      for shot in listed downloaded; do
        if [ $shot = listed ]; then
          steps=(--screenshot-delay 12000 --quit-after 14000)
        else
          steps=(--select FileList=0,1@9000 --choose DownloadSelectedBtn@10000
                 --screenshot-delay 60000 --quit-after 62000)
        fi
        "$root/tests/e2e/netns_run.sh" --camsim "$camsim" \
          --camsim-arg --fill-card --camsim-arg "photos=3 videos=2 video-size=20M" \
          --camsim-arg --fault --camsim-arg "flaky 8 8080" -- \
          env KIVO_WINEPREFIX="$tmp/prefix-144" xvfb-run -a -s "-screen 0 1024x768x24" \
          "$root/tests/win32/wine_run.sh" "$tmp/kivo.exe" --browse "${steps[@]}" \
          --screenshot "$tmp/$shot.bmp" 2> /dev/null
      done
      bmp_to_png "$tmp/listed-browse.bmp" "$here/browse-windows-144dpi.png"
      bmp_to_png "$tmp/downloaded-browse.bmp" "$here/browse-windows-downloaded.png"
      ;;
    *) echo "usage: take.sh [linux] [windows] [browse]" >&2; exit 2 ;;
  esac
done
ls -l "$here"/*.png
