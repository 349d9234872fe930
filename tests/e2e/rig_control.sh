#!/usr/bin/env bash
# Talks to camera I of a rig that tests/e2e/netns_run.sh --cameras N made (run it from COMMAND,
# inside that namespace; it refuses to run anywhere else).
#
#   tests/e2e/rig_control.sh I WORDS...    one control line to camera I's simulator, e.g.
#                                          "fault silent", "unplug", "plug", "set battery 20"
#                                          (see kivo-camsim --help); prints its answer
#   tests/e2e/rig_control.sh I link down   takes camera I's end of its link down: its adapter
#                                          kcamI loses the network (no carrier), as a Wi-Fi
#                                          adapter does when its camera goes out of range
#   tests/e2e/rig_control.sh I link up     brings it back
#
# Exit status: 0 when the camera said "ok" (or the link changed), otherwise not 0.
set -euo pipefail

die() {
  echo "rig_control.sh: $*" >&2
  exit 2
}

[ "${KIVO_E2E_NETNS:-}" = 1 ] && [ -n "${KIVO_E2E_DIR:-}" ] && [ -n "${KIVO_RIG_CAMERAS:-}" ] ||
  die "run this inside tests/e2e/netns_run.sh --cameras N"
[ $# -ge 2 ] || die "usage: rig_control.sh I WORDS... | I link down|up"
i=$1
shift
[[ "$i" =~ ^[1-9][0-9]*$ ]] && [ "$i" -le "$KIVO_RIG_CAMERAS" ] ||
  die "no camera $i (the rig has $KIVO_RIG_CAMERAS)"
dir=$KIVO_E2E_DIR/cam$i
holder=$(cat "$dir/pid")

if [ "$1" = link ]; then
  [ "${2:-}" = up ] || [ "${2:-}" = down ] || die "link up or link down"
  # Taking a link down drops the routes through it; the camera's way back is put in again.
  exec nsenter -t "$holder" -n sh -e -c "ip link set cam$i $2
    [ $2 = down ] || ip route replace ${KIVO_CAMSIM_ADDRESS%.*}.0/24 dev cam$i"
fi
[ -s "$dir/ports" ] || die "camera $i has no simulator running"
control=$(awk '$1 == "control" { print $2 }' "$dir/ports")
exec nsenter -t "$holder" -n "$KIVO_CAMSIM" --control "$control" "$@"
