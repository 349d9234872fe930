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
#   KIVO_CAMSIM_REPORTS       problem reports received by the service stub
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
while [ $# -gt 0 ]; do
  case "$1" in
    --camsim) camsim=$2; shift 2 ;;
    --camsim-args) read -r -a more <<< "$2"; camsim_args+=("${more[@]}"); shift 2 ;;
    --camsim-arg) camsim_args+=("$2"); shift 2 ;;
    --address) address=$2; shift 2 ;;
    --service) service=$2; shift 2 ;;
    --service-host) service_hosts+=("$2"); shift 2 ;;
    --no-camsim) start_camsim=0; shift ;;
    --keep) keep=1; shift ;;
    --) shift; break ;;
    *) die "unknown option $1 (see --help)" ;;
  esac
done

# --- set up --------------------------------------------------------------------------------
ip link set lo up
ip addr add "$address/32" dev lo
[ "$service" = "$address" ] || ip addr add "$service/32" dev lo
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
cleanup() {
  local rc=$?
  if [ -n "$camsim_pid" ] && kill -0 "$camsim_pid" 2> /dev/null; then
    kill -TERM "$camsim_pid" 2> /dev/null || true
    for _ in $(seq 50); do
      kill -0 "$camsim_pid" 2> /dev/null || break
      sleep 0.1
    done
    kill -KILL "$camsim_pid" 2> /dev/null || true
  fi
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
if [ $# -eq 0 ]; then
  echo "netns_run.sh: simulated camera at $address (control ${KIVO_CAMSIM_CONTROL:-none});" \
       "leave this shell to stop it" >&2
  set -- "${SHELL:-bash}"
fi
set +e
"$@"
rc=$?
set -e
exit "$rc"
