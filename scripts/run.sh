#!/usr/bin/env bash
# Builds Kivo and runs it.
#   scripts/run.sh                 beside the built-in simulated camera, in a private network
#                                  namespace (no camera needed, nothing leaves the machine)
#   scripts/run.sh --real-camera   on this computer's own network, for a real camera
# Without a display the window runs under a virtual display (Xvfb), a screenshot is written to
# kivo-screenshot.png and the program closes after it (KIVO_SCREENSHOT / KIVO_RUN_SECONDS change
# the file and how long it runs; the screenshot is taken 3 s before the end).
set -euo pipefail
KIVO_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$KIVO_ROOT/scripts/deps.sh"

real=0
for a in "$@"; do
  case "$a" in
    --real-camera) real=1 ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) echo "unknown option $a"; exit 2 ;;
  esac
done

kivo_ensure_packages
# Only the two programs it runs: the test command builds the tests and benchmarks.
KIVO_TARGETS="kivo kivo-camsim" kivo_configure_and_build "$KIVO_ROOT/build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo

kivo=("$KIVO_ROOT/build/bin/kivo")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  shot=${KIVO_SCREENSHOT:-$PWD/kivo-screenshot.png}
  seconds=${KIVO_RUN_SECONDS:-15}
  kivo=(xvfb-run -a -s "-screen 0 1280x1024x24" "${kivo[@]}"
        --screenshot "$shot" --screenshot-delay $(( (seconds - 3) * 1000 ))
        --quit-after $(( seconds * 1000 )))
  echo "No display: running under Xvfb for $seconds s; screenshot -> $shot"
fi

if [ "$real" -eq 1 ]; then
  exec "${kivo[@]}"
fi
# The simulated camera lives at the camera's real address, so Kivo runs with its default settings;
# the private namespace keeps every packet on this machine.
exec "$KIVO_ROOT/tests/e2e/netns_run.sh" --camsim "$KIVO_ROOT/build/bin/kivo-camsim" -- "${kivo[@]}"
