#!/usr/bin/env bash
# The native Windows build: cross-compiles kivo.exe and the unit and network tests with
# mingw-w64 (build-win/) and packs kivo.exe into its installer and zip, then runs the tests, an
# end-to-end smoke test of kivo.exe and the installer's test under Wine, every Wine process
# inside a private network namespace. Needs the Linux tree's kivo-camsim
# (build/bin/kivo-camsim, made by scripts/test.sh first). Prints how long it took.
set -euo pipefail
KIVO_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$KIVO_ROOT/scripts/deps.sh"
started=$(date +%s)

# "wine" brings the wine and wineserver commands, "fonts-wine" the fonts Windows programs expect
# (both only recommended by wine64). librsvg2-bin renders kivo.exe's icon and icoutils' icotool
# packs it; nsis, zip and python3 (the installer's side picture) build the installer and the
# portable zip; unzip and binutils' strings check them.
KIVO_PACKAGES="g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth iproute2 util-linux \
nsis zip unzip binutils librsvg2-bin icoutils python3" \
  kivo_ensure_packages

kivo_configure_and_build "$KIVO_ROOT/build-win" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$KIVO_ROOT/cmake/mingw-w64.cmake" -DKIVO_BENCH=OFF \
  -DKIVO_LINUX_CAMSIM="$KIVO_ROOT/build/bin/kivo-camsim"
status=0
(cd "$KIVO_ROOT/build-win" && ctest --output-on-failure --timeout 600) || status=$?
echo "Windows build and tests under Wine took $(( $(date +%s) - started )) s"
exit "$status"
