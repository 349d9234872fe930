#!/usr/bin/env bash
# Builds the two Windows packages from a built kivo.exe:
#   OUT_DIR/kivo-VERSION-setup.exe   the installer (kivo.nsi, NSIS 3)
#   OUT_DIR/kivo-VERSION-win64.zip   the portable copy: kivo-VERSION/ with kivo.exe, README.txt
#                                    and LICENSE.txt when the sources have a licence file
# kivo.exe is shipped stripped; the text files get CR LF line ends; the installer's icon is drawn
# from packaging/icons/kivo.svg. Needs makensis, zip, rsvg-convert and ImageMagick's convert.
#
#   make_packages.sh KIVO_EXE VERSION SOURCE_DIR OUT_DIR WORK_DIR [STRIP]
set -euo pipefail
[ $# -ge 5 ] || {
  echo "usage: make_packages.sh KIVO_EXE VERSION SOURCE_DIR OUT_DIR WORK_DIR [STRIP]" >&2
  exit 2
}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exe=$1 version=$2 src=$3 out=$4 work=$5
strip=${6:-x86_64-w64-mingw32-strip}
[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || { echo "make_packages.sh: bad version '$version'" >&2; exit 2; }

stage=$work/stage
rm -rf "$stage"
mkdir -p "$stage" "$out"
"$strip" -o "$stage/kivo.exe" "$exe"
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
convert "${icons[@]}" "$stage/kivo.ico"
# The picture at the left of the first and last pages (164 x 314, a plain 24-bit BMP).
rsvg-convert -w 120 -h 120 "$src/packaging/icons/kivo.svg" -o "$stage/kivo-120.png"
convert -size 164x314 gradient:'#dfe9f3-#ffffff' "$stage/kivo-120.png" -gravity north \
  -geometry +0+60 -composite -type TrueColor "BMP3:$stage/wizard.bmp"

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
cp "$stage/kivo.exe" "$stage/README.txt" "$zip_dir/"
[ ! -f "$stage/LICENSE.txt" ] || cp "$stage/LICENSE.txt" "$zip_dir/"
archive=$out/kivo-$version-win64.zip
rm -f "$archive.part"
(cd "$work/zip" && zip -q -X -r "$archive.part" "kivo-$version")
mv -f "$archive.part" "$archive"
echo "make_packages.sh: $setup ($(stat -c %s "$setup") bytes), $archive ($(stat -c %s "$archive") bytes)"
