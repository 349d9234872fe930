#!/usr/bin/env bash
# Builds Kivo and runs every test: the normal build's whole suite (unit, network, GUI smoke test
# offscreen, end-to-end in a private network namespace), then the unit and network tests again
# under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
KIVO_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$KIVO_ROOT/scripts/deps.sh"
# The source folders keep their floors (app > forms > media > camera > ui, net > platform).
"$KIVO_ROOT/scripts/check_layers.sh"
kivo_ensure_packages

export QT_QPA_PLATFORM=offscreen
kivo_configure_and_build "$KIVO_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd "$KIVO_ROOT/build" && ctest --output-on-failure -j2 --timeout 600)

kivo_configure_and_build "$KIVO_ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKIVO_SANITIZE=ON \
  -DKIVO_GUI=OFF -DKIVO_BENCH=OFF
(cd "$KIVO_ROOT/build-asan" && ctest --output-on-failure -j2 --timeout 600 -LE e2e)

# The Debian package, built from a clean copy, checked, and run unpacked as another user.
"$KIVO_ROOT/scripts/test_package.sh"

# The native Windows build (mingw-w64), its tests and a smoke test of kivo.exe under Wine.
"$KIVO_ROOT/scripts/test_windows.sh"
