#!/usr/bin/env bash
# Runs a command beside the simulated camera, inside a private network namespace.
#
#   tests/e2e/netns_run.sh [OPTIONS] [-- COMMAND [ARGS...]]
#
# Creates a new user + network + PID namespace (unshare -rn), brings its loopback device up, puts
# the camera address (10.5.5.9) and the maker's service address (10.5.5.10) on it, allows ICMP
# echo sockets (ping_group_range "0 0"), starts kivo-camsim there (camera on ADDRESS:80 and :8080,
# service on SERVICE:80), runs COMMAND, and tears everything down when COMMAND ends, whatever its
# outcome: every process left in the namespace dies with it. Nothing sent to 10.5.5.9 can leave
# the machine, and the script refuses to work anywhere but in a namespace it has just made.
# Without COMMAND an interactive shell runs, so a person (or the GUI) can use the camera for as
# long as they like; leave the shell to end it.
#
# Options:
#   --camsim PATH          the simulator (default: $KIVO_CAMSIM, else build/bin/kivo-camsim)
#   --camsim-args "ARGS"   more arguments for kivo-camsim, split at blanks, e.g.
#                          --camsim-args "--model 11 --power off" (a value that holds blanks
#                          needs --camsim-arg)
#   --camsim-arg ARG       one more argument for kivo-camsim, taken whole; repeatable
#   --address ADDR         camera address (default 10.5.5.9)
#   --service ADDR         maker's service address, port 80 (default 10.5.5.10)
#   --service-host NAME    make NAME resolve to the service address inside the namespace (a
#                          private copy of /etc/hosts is mounted there); repeatable
#   --no-camsim            set up the namespace only, start no simulator
#   --cameras N            a rig of N cameras instead of one (see below)
#   --camera-arg I "ARGS"  more arguments for camera I of the rig only, split at blanks;
#                          repeatable (--camsim-args and --camsim-arg go to every camera)
#   --keep                 keep the work folder (request log, reports, simulator output)
#   -h, --help             this text
#
# COMMAND sees these variables:
#   KIVO_E2E_NETNS=1          it runs inside the harness's namespace
#   KIVO_E2E_DIR              the work folder
#   KIVO_CAMSIM               the simulator binary (for "kivo-camsim --control ...")
#   KIVO_CAMSIM_ADDRESS       the camera address
#   KIVO_SERVICE_ADDRESS      the service address
#   KIVO_CAMSIM_CONTROL       control port, e.g. 127.0.0.1:40123
#                             ("$KIVO_CAMSIM" --control "$KIVO_CAMSIM_CONTROL" fault silent)
#   KIVO_CAMSIM_LOG           request log, one line per request: "MS PORT METHOD TARGET"
#                             (MS: monotonic milliseconds with three decimals, when it arrived)
#   KIVO_CAMSIM_REPORTS       problem reports received by the service stub
#
# With --cameras N every camera is its own access point at the same address, as a rig of cameras
# in their app Wi-Fi mode is: camera I runs in a network namespace of its own, behind a veth
# pair whose end in COMMAND's namespace is the interface kcamI (the camera's "Wi-Fi adapter").
# Every camera has the camera address and the service address; every kcamI has the same address
# (RIG_PREFIX.100/24, RIG_PREFIX the camera address's first three numbers), so the routing table
# holds one route to the camera network per interface and only tying a connection to an
# interface reaches a chosen camera. Nothing is on lo but 127.0.0.1. COMMAND then sees, instead
# of KIVO_CAMSIM_CONTROL, KIVO_CAMSIM_LOG and KIVO_CAMSIM_REPORTS:
#   KIVO_RIG_CAMERAS          N
#   KIVO_RIG_INTERFACES       "kcam1 kcam2 ..."
#   KIVO_RIG_HOST_ADDRESS     the address every kcamI has
#   KIVO_RIG_LOG_I            camera I's request log (also KIVO_E2E_DIR/camI/requests.log)
#   KIVO_RIG_CONTROL          tests/e2e/rig_control.sh: "rig_control.sh I WORDS..." sends WORDS to
#                             camera I's control port ("fault silent", "unplug", ...);
#                             "rig_control.sh I link down|up" takes camera I's end of its link
#                             down (its adapter loses the network) or brings it back
#
# Exit status: COMMAND's; 125 when the namespace or the simulator could not be set up. The work
# folder is kept (and named on standard error) when COMMAND fails.
set -euo pipefail

script=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")
repo=$(cd "$(dirname "$script")/../.." && pwd)

die() {
  echo "netns_run.sh: $*" >&2
  exit 125
}

usage() {
  sed -n '2,/^set -euo/p' "$script" | sed '$d' | sed 's/^# \{0,1\}//'
}

# --- outside: make the namespace and run this script again inside it --------------------------
if [ "${1:-}" != "--inside-namespace" ]; then
  for a in "$@"; do
    [ "$a" = "--" ] && break
    if [ "$a" = "-h" ] || [ "$a" = "--help" ]; then
      usage
      exit 0
    fi
  done
  command -v unshare > /dev/null || die "unshare (util-linux) is missing"
  command -v ip > /dev/null || die "ip (iproute2) is missing"
  unshare --user --map-root-user --net true 2> /dev/null ||
    die "cannot create a user + network namespace (unshare -rn); as a normal user this needs" \
        "unprivileged user namespaces (sysctl kernel.unprivileged_userns_clone=1)"
  KIVO_E2E_HOST_NETNS=$(readlink /proc/self/ns/net)
  KIVO_E2E_TOKEN=$(od -An -N8 -tx8 /dev/urandom | tr -d ' ')
  export KIVO_E2E_HOST_NETNS KIVO_E2E_TOKEN
  # --kill-child: if this unshare dies (Ctrl-C, a test runner's time-out), the namespace's first
  # process is killed, and with it everything else in the PID namespace.
  exec unshare --user --map-root-user --net --pid --fork --kill-child --mount --mount-proc \
    -- bash "$script" --inside-namespace "$KIVO_E2E_TOKEN" "$@"
fi

# --- inside: make sure this really is a fresh namespace of our own ----------------------------
shift
token=${1:-}
shift || true
[ -n "${KIVO_E2E_TOKEN:-}" ] && [ "$token" = "$KIVO_E2E_TOKEN" ] ||
  die "refusing to run: not started by netns_run.sh in a namespace of its own"
[ "$(readlink /proc/self/ns/net)" != "${KIVO_E2E_HOST_NETNS:-}" ] ||
  die "refusing to run: this is the host's network namespace"
links=$(ip -o link show | awk -F': ' '{print $2}' | tr '\n' ' ')
[ "$links" = "lo " ] || die "refusing to run: the namespace has interfaces besides lo: $links"
ip -o link show lo | grep -q 'state DOWN' || die "refusing to run: loopback already set up"
unset KIVO_E2E_TOKEN

camsim=${KIVO_CAMSIM:-$repo/build/bin/kivo-camsim}
camsim_args=()
address=10.5.5.9
service=10.5.5.10
start_camsim=1
keep=0
service_hosts=()
cameras=0
declare -A camera_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --camsim) camsim=$2; shift 2 ;;
    --camsim-args) read -r -a more <<< "$2"; camsim_args+=("${more[@]}"); shift 2 ;;
    --camsim-arg) camsim_args+=("$2"); shift 2 ;;
    --address) address=$2; shift 2 ;;
    --service) service=$2; shift 2 ;;
    --service-host) service_hosts+=("$2"); shift 2 ;;
    --no-camsim) start_camsim=0; shift ;;
    --cameras)
      [[ "${2:-}" =~ ^[1-9][0-9]*$ ]] && [ "$2" -le 64 ] || die "--cameras wants 1..64, got ${2:-}"
      cameras=$2; shift 2 ;;
    --camera-arg)
      [[ "${2:-}" =~ ^[1-9][0-9]*$ ]] || die "--camera-arg wants a camera number, got ${2:-}"
      camera_args[$2]="${camera_args[$2]:-} ${3:-}"; shift 3 ;;
    --keep) keep=1; shift ;;
    --) shift; break ;;
    *) die "unknown option $1 (see --help)" ;;
  esac
done

for i in "${!camera_args[@]}"; do
  [ "$i" -le "$cameras" ] || die "--camera-arg $i: there is no camera $i (--cameras $cameras)"
done

# --- set up --------------------------------------------------------------------------------
ip link set lo up
if [ "$cameras" -eq 0 ]; then
  ip addr add "$address/32" dev lo
  [ "$service" = "$address" ] || ip addr add "$service/32" dev lo
fi
# Inside "unshare -r" only group 0 exists, so this lets every process here use ICMP echo sockets.
echo "0 0" > /proc/sys/net/ipv4/ping_group_range

work=$(mktemp -d "${TMPDIR:-/tmp}/kivo-e2e.XXXXXX")
if [ ${#service_hosts[@]} -gt 0 ]; then
  # The mount namespace is ours: the copy covers /etc/hosts here only.
  cp /etc/hosts "$work/hosts"
  echo "$service ${service_hosts[*]}" >> "$work/hosts"
  mount --bind "$work/hosts" /etc/hosts || die "cannot mount the namespace's /etc/hosts"
fi
camsim_pid=
rig_pids=()
stop_process() {
  kill -0 "$1" 2> /dev/null || return 0
  kill -TERM "$1" 2> /dev/null || true
  for _ in $(seq 50); do
    kill -0 "$1" 2> /dev/null || return 0
    sleep 0.1
  done
  kill -KILL "$1" 2> /dev/null || true
}
cleanup() {
  local rc=$?
  [ -z "$camsim_pid" ] || stop_process "$camsim_pid"
  for pid in ${rig_pids[@]+"${rig_pids[@]}"}; do stop_process "$pid"; done
  if [ "$keep" -eq 1 ] || [ "$rc" -ne 0 ]; then
    echo "netns_run.sh: work folder kept: $work" >&2
  else
    rm -rf "$work"
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

export KIVO_E2E_NETNS=1 KIVO_E2E_DIR=$work KIVO_CAMSIM=$camsim
export KIVO_CAMSIM_ADDRESS=$address KIVO_SERVICE_ADDRESS=$service

# Waits for a simulator to write its ports file; $1 pid, $2 work folder of that simulator.
wait_for_camsim() {
  for _ in $(seq 100); do
    [ -s "$2/ports" ] && return 0
    if ! kill -0 "$1" 2> /dev/null; then
      cat "$2/camsim.out" >&2
      die "kivo-camsim did not start"
    fi
    sleep 0.1
  done
  die "kivo-camsim did not start within 10 s"
}

# Camera I of a rig: a network namespace held open by a sleeping process, a veth pair kcamI (here)
# to camI (there), the camera and service addresses on the camera's loopback device (where the
# simulator's "unplug" takes the camera address away) and a route back through camI (without
# a source address: the kernel would drop such a route with the address at "unplug").
start_rig_camera() {
  local i=$1 dir=$work/cam$1 holder
  mkdir "$dir"
  unshare --net sleep infinity &
  holder=$!
  rig_pids+=("$holder")
  local here
  here=$(readlink /proc/self/ns/net)
  for _ in $(seq 50); do
    [ "$(readlink "/proc/$holder/ns/net" 2> /dev/null)" != "$here" ] && break
    sleep 0.05
  done
  [ "$(readlink "/proc/$holder/ns/net")" != "$here" ] ||
    die "camera $i: no network namespace of its own"
  echo "$holder" > "$dir/pid"
  ip link add "kcam$i" type veth peer name "cam$i"
  ip link set "cam$i" netns "$holder"
  nsenter -t "$holder" -n sh -e -c "
    ip link set lo up
    ip addr add $address/32 dev lo
    [ '$service' = '$address' ] || ip addr add $service/32 dev lo
    ip link set cam$i up
    ip route add $rig_prefix.0/24 dev cam$i" || die "camera $i: cannot set up its namespace"
  ip addr add "$rig_host/24" dev "kcam$i"
  ip link set "kcam$i" up
  [ "$start_camsim" -eq 1 ] || return 0
  : > "$dir/requests.log"
  local more=()
  read -r -a more <<< "${camera_args[$i]:-}"
  # nsenter joins the camera's namespace and then becomes the simulator (no fork), so $! is it.
  nsenter -t "$holder" -n -- "$camsim" --address "$address" --service "$service:80" \
    --control-listen 127.0.0.1:0 --ports-file "$dir/ports" --log "$dir/requests.log" \
    --reports "$dir/reports.txt" ${camsim_args[@]+"${camsim_args[@]}"} \
    ${more[@]+"${more[@]}"} > "$dir/camsim.out" 2>&1 &
  rig_pids+=("$!")
  export "KIVO_RIG_LOG_$i=$dir/requests.log"
}

if [ "$cameras" -gt 0 ]; then
  [ "$start_camsim" -eq 0 ] || [ -x "$camsim" ] ||
    die "no simulator at $camsim (build it, or pass --camsim PATH)"
  camsim=$(realpath -m "$camsim")
  KIVO_CAMSIM=$camsim
  rig_prefix=${address%.*}
  rig_host=$rig_prefix.100
  [ "$rig_host" != "$address" ] || rig_host=$rig_prefix.101
  interfaces=()
  for i in $(seq "$cameras"); do
    start_rig_camera "$i"
    interfaces+=("kcam$i")
  done
  if [ "$start_camsim" -eq 1 ]; then
    for i in $(seq "$cameras"); do
      wait_for_camsim "${rig_pids[$((2 * i - 1))]}" "$work/cam$i"
    done
  fi
  export KIVO_RIG_CAMERAS=$cameras KIVO_RIG_INTERFACES="${interfaces[*]}"
  export KIVO_RIG_HOST_ADDRESS=$rig_host KIVO_RIG_CONTROL=$(dirname "$script")/rig_control.sh
  start_camsim=0
fi

if [ "$start_camsim" -eq 1 ]; then
  [ -x "$camsim" ] || die "no simulator at $camsim (build it, or pass --camsim PATH)"
  export KIVO_CAMSIM_LOG=$work/requests.log KIVO_CAMSIM_REPORTS=$work/reports.txt
  "$camsim" --address "$address" --service "$service:80" --control-listen 127.0.0.1:0 \
    --ports-file "$work/ports" --log "$KIVO_CAMSIM_LOG" --reports "$KIVO_CAMSIM_REPORTS" \
    ${camsim_args[@]+"${camsim_args[@]}"} > "$work/camsim.out" 2>&1 &
  camsim_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/ports" ] && break
    if ! kill -0 "$camsim_pid" 2> /dev/null; then
      cat "$work/camsim.out" >&2
      die "kivo-camsim did not start"
    fi
    sleep 0.1
  done
  [ -s "$work/ports" ] || die "kivo-camsim did not start within 10 s"
  KIVO_CAMSIM_CONTROL=$(awk '$1 == "control" { print $2 }' "$work/ports")
  export KIVO_CAMSIM_CONTROL
fi

# --- run ------------------------------------------------------------------------------------
if [ $# -eq 0 ] && [ "$cameras" -gt 0 ]; then
  echo "netns_run.sh: $cameras simulated cameras at $address behind $KIVO_RIG_INTERFACES" \
       "(\$KIVO_RIG_CONTROL I WORDS...); leave this shell to stop them" >&2
  set -- "${SHELL:-bash}"
elif [ $# -eq 0 ]; then
  echo "netns_run.sh: simulated camera at $address (control ${KIVO_CAMSIM_CONTROL:-none});" \
       "leave this shell to stop it" >&2
  set -- "${SHELL:-bash}"
fi
set +e
"$@"
rc=$?
set -e
exit "$rc"
