#!/usr/bin/env bash
# Checks the source folders' floors and the README's links to files in the tree, then builds Kivo
# in four trees and runs every test:
#   build/       the whole suite through ctest: unit and network tests, the Qt window offscreen,
#                the simulated camera's own tests, end-to-end sessions in a private network
#                namespace beside the simulated camera;
#   build-asan/  the unit and network tests again under AddressSanitizer and UBSan;
#   the Debian package (scripts/test_package.sh): built from a clean copy the Debian way, its
#                build running the unit tests that need no display and no namespace, then checked
#                and run unpacked as another user;
#   build-win/   kivo.exe and kivo-cli.exe cross-built with mingw-w64, their tests, the window's
#                end-to-end tests and the installer's test under Wine (scripts/test_windows.sh).
# .ci/run runs exactly this.
set -euo pipefail
KIVO_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$KIVO_ROOT/scripts/deps.sh"
# The source folders keep their floors (app > forms > media > camera > ui, net > platform).
"$KIVO_ROOT/scripts/check_layers.sh"
"$KIVO_ROOT/scripts/check_readme_links.sh"
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
