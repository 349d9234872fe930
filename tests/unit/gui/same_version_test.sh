#!/usr/bin/env bash
# The window and kivo-cli say the same version: both take it from project(VERSION), and a
# version typed into either one would make them differ after the next release. Both run without
# a display inside a private network namespace (neither should reach the camera for --version).
set -euo pipefail
kivo=$1
kivo_cli=$2
isolated() { unshare -rn env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
window=$(isolated "$kivo" --version)
cli=$(isolated "$kivo_cli" --version)
window_number=${window##* }
[[ $window_number =~ ^[0-9]+(\.[0-9]+)+$ ]] || { echo "kivo --version printed: $window"; exit 1; }
[ "$cli" = "kivo-cli $window_number" ] || { echo "kivo: $window; kivo-cli: $cli"; exit 1; }
echo "both say $window_number"
