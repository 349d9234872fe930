#!/usr/bin/env bash
# Runs a Windows program of the cross-built tree under Wine, always inside a private network
# namespace: Wine's sockets are opened by its wineserver, so both must live where nothing can
# reach a real network. Used as the Windows tree's CMAKE_CROSSCOMPILING_EMULATOR.
#
#   tests/win32/wine_run.sh PROGRAM.exe [ARGS...]
#
# The Wine prefix is private to the build tree (KIVO_WINEPREFIX, default: the folder above the
# program's bin/, plus "wineprefix") and is made on first use. Inside tests/e2e/netns_run.sh the
# namespace is the harness's own (with the simulated camera); elsewhere a user + network + mount
# namespace with only a loopback device is made here. Each run gets its own wineserver: a
# private folder for its socket is mounted over /tmp/.wine-UID, so a server left from another
# namespace is never joined. With KIVO_WINE_WAIT=1 every process the program started is waited
# for (up to two minutes) before the server stops: an NSIS uninstaller returns at once and
# goes on from a copy of itself. Exit status: the program's.
set -euo pipefail

script=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")
[ $# -ge 1 ] || { echo "usage: wine_run.sh PROGRAM.exe [ARGS...]" >&2; exit 2; }

if [ "${KIVO_E2E_NETNS:-}" != 1 ] && [ "${KIVO_WINE_NETNS:-}" != 1 ]; then
  export KIVO_WINE_NETNS=1 KIVO_WINE_HOST_NETNS
  KIVO_WINE_HOST_NETNS=$(readlink /proc/self/ns/net)
  exec unshare --user --map-root-user --net --mount --fork --kill-child \
    -- bash "$script" "$@"
fi
# A variable inherited by mistake must not let Wine loose on the real network.
here_netns=$(readlink /proc/self/ns/net)
host_netns=${KIVO_WINE_HOST_NETNS:-${KIVO_E2E_HOST_NETNS:-}}
if [ -z "$host_netns" ] || [ "$here_netns" = "$host_netns" ]; then
  echo "wine_run.sh: not inside a private network namespace; refusing to start Wine" >&2
  exit 125
fi

ip link set lo up 2> /dev/null || true
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
export WINEPREFIX=${KIVO_WINEPREFIX:-$(dirname "$(dirname "$program")")/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
server_dir=/tmp/.wine-$(id -u)
mkdir -p "$server_dir"
mount -t tmpfs -o mode=700 kivo-wine "$server_dir"

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init > /dev/null 2>&1 || true
  "$wineserver" -w
fi

status=0
"$wine" "$program" "$@" || status=$?
if [ "${KIVO_WINE_WAIT:-}" = 1 ]; then
  timeout 120 "$wineserver" -w || true
fi
"$wineserver" -k 2> /dev/null || true
exit "$status"
