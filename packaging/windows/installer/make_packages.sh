#!/usr/bin/env bash
# Builds the two Windows packages from a built kivo.exe and kivo-cli.exe:
#   OUT_DIR/kivo-VERSION-setup.exe   the installer (kivo.nsi, NSIS 3)
#   OUT_DIR/kivo-VERSION-win64.zip   the portable copy: kivo-VERSION/ with kivo.exe, kivo-cli.exe,
#                                    README.txt and LICENSE.txt when the sources have a licence
#                                    file
# The programs are shipped stripped; the text files get CR LF line ends; the installer's icon is drawn
# from packaging/icons/kivo.svg. Needs makensis, zip, rsvg-convert, icotool (icoutils) and
# python3 (wizard_bitmap.py draws the installer's side picture).
#
#   make_packages.sh KIVO_EXE KIVO_CLI_EXE VERSION SOURCE_DIR OUT_DIR WORK_DIR [STRIP]
set -euo pipefail
[ $# -ge 6 ] || {
  echo "usage: make_packages.sh KIVO_EXE KIVO_CLI_EXE VERSION SOURCE_DIR OUT_DIR WORK_DIR [STRIP]" >&2
  exit 2
}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exe=$1 cli_exe=$2 version=$3 src=$4 out=$5 work=$6
strip=${7:-x86_64-w64-mingw32-strip}
[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || { echo "make_packages.sh: bad version '$version'" >&2; exit 2; }

stage=$work/stage
rm -rf "$stage"
mkdir -p "$stage" "$out"
"$strip" -o "$stage/kivo.exe" "$exe"
"$strip" -o "$stage/kivo-cli.exe" "$cli_exe"
crlf() { sed 's/\r*$/\r/' "$1" > "$2"; }
crlf "$src/README.md" "$stage/README.txt"
for name in LICENSE LICENSE.txt LICENSE.md COPYING COPYING.txt; do
  if [ -f "$src/$name" ]; then
    crlf "$src/$name" "$stage/LICENSE.txt"
    break
  fi
done

icons=()
for size in 16 24 32 48 64 256; do
  rsvg-convert -w "$size" -h "$size" "$src/packaging/icons/kivo.svg" -o "$stage/kivo-$size.png"
  icons+=("$stage/kivo-$size.png")
done
# The 256-pixel picture is kept as PNG inside the .ico, as Windows Vista and later read it.
icotool --create --output="$stage/kivo.ico" "${icons[@]:0:5}" --raw="$stage/kivo-256.png"
# The picture at the left of the first and last pages (164 x 314, a plain 24-bit BMP).
rsvg-convert -w 120 -h 120 "$src/packaging/icons/kivo.svg" -o "$stage/kivo-120.png"
python3 "$here/wizard_bitmap.py" "$stage/kivo-120.png" "$stage/wizard.bmp"

# The version resource wants four numbers.
quad=$version
while [ "$(tr -cd . <<< "$quad" | wc -c)" -lt 3 ]; do quad=$quad.0; done

setup=$out/kivo-$version-setup.exe
makensis -V2 -NOCD "-DVERSION=$version" "-DVERSION_QUAD=$quad" "-DSTAGE=$stage" \
  "-DOUTFILE=$setup.part" "$here/kivo.nsi"
mv -f "$setup.part" "$setup"

zip_dir=$work/zip/kivo-$version
rm -rf "$work/zip"
mkdir -p "$zip_dir"
cp "$stage/kivo.exe" "$stage/kivo-cli.exe" "$stage/README.txt" "$zip_dir/"
[ ! -f "$stage/LICENSE.txt" ] || cp "$stage/LICENSE.txt" "$zip_dir/"
archive=$out/kivo-$version-win64.zip
rm -f "$archive.part"
(cd "$work/zip" && zip -q -X -r "$archive.part" "kivo-$version")
mv -f "$archive.part" "$archive"
echo "make_packages.sh: $setup ($(stat -c %s "$setup") bytes), $archive ($(stat -c %s "$archive") bytes)"
