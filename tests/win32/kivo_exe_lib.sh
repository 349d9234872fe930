# Sourced by the kivo.exe tests under Wine, each called as  SCRIPT KIVO_EXE KIVO_CAMSIM WINEPREFIX ...
# Before sourcing, the script sets `usage` (its arguments, optional ones in brackets) and may set
# `camsim_args` (more arguments for netns_run.sh's simulated camera) and an `on_failure` function
# (what else to print when it fails; the camera's whole request log otherwise).
#
# The script is run again inside a private network namespace beside the simulated camera; there
# this file sets
#   exe              kivo.exe's absolute path
#   KIVO_WINEPREFIX  the Wine prefix (created if new)
#   work             a scratch folder, removed at exit, holding a copy of kivo.exe
#   program          the kivo.exe that run_kivo starts ($work/kivo.exe unless the script says)
#   log              where kivo.exe's standard error goes ($work/kivo.log unless the script says)
# and offers
#   fail MESSAGE     prints the message, what kivo.exe said and on_failure's files; exits 1
#   run_kivo ARGS... starts $program with ARGS on a virtual display; its standard error, with LF
#                    line ends, in $log; fails when it ends with a status other than 0, or when
#                    it has not ended after $run_timeout seconds (default 150: a hung window)
test_name=$(basename "${BASH_SOURCE[1]}" .sh)
kivo_exe_tests=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
required=${usage%%[*}
# shellcheck disable=SC2086  # the words of the usage line are counted
required=$(set -- $required && echo $#)
[ $# -ge "$required" ] || { echo "usage: $test_name.sh $usage" >&2; exit 2; }

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  exec "$kivo_exe_tests/../e2e/netns_run.sh" --camsim "$2" ${camsim_args[@]+"${camsim_args[@]}"} \
    -- bash "${BASH_SOURCE[1]}" "$@"
fi

exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
mkdir -p "$3"
export KIVO_WINEPREFIX=$(cd "$3" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/kivo.exe"
program=$work/kivo.exe
log=$work/kivo.log
# A new prefix is made before the timed run: Wine's first start takes longer than the times the
# tests give kivo.exe.
if [ ! -f "$KIVO_WINEPREFIX/system.reg" ]; then
  "$kivo_exe_tests/wine_run.sh" "$work/kivo.exe" --version > /dev/null 2>&1 || true
fi

fail() {
  echo "$test_name: $*" >&2
  echo "--- kivo.exe said:" >&2
  cat "$log" >&2 || true
  if declare -F on_failure > /dev/null; then
    on_failure >&2 || true
  else
    echo "--- the camera's request log:" >&2
    cat "$KIVO_CAMSIM_LOG" >&2 || true
  fi
  exit 1
}

run_kivo() {
  local status=0
  timeout -k 5 "${run_timeout:-150}" \
    xvfb-run -a -s "-screen 0 ${screen:-1024x768x24}" "$kivo_exe_tests/wine_run.sh" "$program" \
    "$@" 2> "$log" || status=$?
  # Standard error is in text mode: CR LF line ends.
  sed -i "s/\r$//" "$log"
  [ "$status" != 124 ] || fail "kivo.exe had not ended after ${run_timeout:-150} s"
  [ "$status" = 0 ] || fail "kivo.exe ended with status $status"
}
