#!/usr/bin/env bash
# kivo-cli with a rig of cameras, all at one address, each behind its own interface:
#
#   tests/e2e/netns_run.sh --cameras 3 --camera-arg 2 "--model 11" \
#     --camera-arg 3 "--model 2 --fill-card photos=2" -- tests/e2e/rig/rig_cli_e2e.sh kivo-cli
#
# Each case runs kivo-cli as a script would and checks its exit status, its output and which
# camera's request log got the requests: --interface must reach that camera and no other.
set -uo pipefail
real_cli=${1:?path to kivo-cli}
if [ "${KIVO_E2E_NETNS:-}" != 1 ] || [ "${KIVO_RIG_CAMERAS:-0}" -lt 3 ]; then
  echo "rig_cli_e2e.sh: run me through tests/e2e/netns_run.sh --cameras 3" >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
cases=0
# kivo-cli beside its own Kivo.ini, with a home of its own, so only this test's settings count.
mkdir -p "$work/prog" "$work/home"
cp "$real_cli" "$work/prog/kivo-cli"
cli=$work/prog/kivo-cli
export HOME=$work/home
unset XDG_CONFIG_HOME XDG_STATE_HOME XDG_CACHE_HOME
printf '[BacPac]\r\nIPAddress=%s\r\nPassword=cameralnk\r\n' "$KIVO_CAMSIM_ADDRESS" \
  > "$work/prog/Kivo.ini"

fail() {
  printf 'FAIL [%s]: %b\n' "$case_name" "$*" >&2
  failures=$((failures + 1))
}
begin() {
  case_name=$1
  cases=$((cases + 1))
}
log_of() { eval "echo \$KIVO_RIG_LOG_$1"; }

# run RC ARGS...: runs kivo-cli; output in $out and $err, the requests camera I got meanwhile in
# $requests_I ("PORT METHOD TARGET" lines).
run() {
  local want=$1 i
  shift
  local -a marks
  for i in 1 2 3; do marks[$i]=$(wc -l < "$(log_of $i)"); done
  "$cli" "$@" > "$work/out" 2> "$work/err"
  rc=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
  for i in 1 2 3; do
    eval "requests_$i=\$(tail -n +$((marks[i] + 1)) \"\$(log_of $i)\" | cut -d' ' -f2-)"
  done
  [ "$rc" = "$want" ] || fail "kivo-cli $* exited $rc, expected $want\nstderr: $err"
}
# only_camera I: camera I got requests, the others none.
only_camera() {
  local i got
  for i in 1 2 3; do
    got=$(eval "echo \"\$requests_$i\"")
    if [ "$i" = "$1" ]; then
      [ -n "$got" ] || fail "camera $i got no request"
    else
      [ -z "$got" ] || fail "camera $i got requests meant for camera $1:\n$got"
    fi
  done
}
field() { # field JSON NAME: a string or number field's value
  sed -n "s/.*\"$2\":\"\{0,1\}\([^\",}]*\).*/\1/p" <<< "$1"
}

begin "--interface kcam2 status reaches camera 2 alone"
run 0 --interface kcam2 status --json
only_camera 2
[ "$(field "$out" model)" = "Hero 3+ Black" ] || fail "model: $out"
grep -q "GET /bacpac/se?t=cameralnk" <<< "$requests_2" || fail "camera 2 got:\n$requests_2"
run 0 --interface kcam3 status --json
only_camera 3
[ "$(field "$out" model)" = "Hero 3 White" ] || fail "model: $out"

begin "--interface kcam2 record start arrives at camera 2 only"
run 0 --interface kcam2 record start
only_camera 2
grep -q "/bacpac/SH?t=cameralnk&p=%01" <<< "$requests_2" || fail "camera 2 got:\n$requests_2"
run 0 --interface kcam2 record stop

begin "listing and downloads through --interface"
# Camera 3, not the first: unbound traffic would take the first route, to camera 1.
run 0 --interface kcam3 --json ls
only_camera 3
[ "$(grep -c '"name"' <<< "$out")" -ge 2 ] || fail "listing: $out"
grep -q "^8080 " <<< "$requests_3" || fail "no listing request at camera 3:\n$requests_3"
run 0 --interface kcam3 get --all --to "$work/dl"
only_camera 3
[ "$(find "$work/dl" -type f -name '*.JPG' | wc -l)" -ge 2 ] || fail "downloaded: $(find "$work/dl")"

begin "a missing interface is a clear error, nothing sent"
run 3 --interface kcam9 status
[ "$err" = "kivo-cli: No network interface named kcam9" ] || fail "stderr: $err"
[ -z "$requests_1$requests_2$requests_3" ] || fail "requests were sent"

begin "cameras --json lists every camera with its model"
run 0 cameras --json
[ "$(wc -l <<< "$out")" = 3 ] || fail "lines: $out"
want="kcam1 Hero 3 Black
kcam2 Hero 3+ Black
kcam3 Hero 3 White"
got=$(while read -r line; do
  echo "$(field "$line" interface) $(field "$line" model)"
done <<< "$out")
[ "$got" = "$want" ] || fail "cameras: $got\nexpected:\n$want"
run 0 cameras
grep -q "^kcam2  Hero 3+ Black  on" <<< "$out" || fail "text: $out"

begin "passwords per camera, one of them wrong"
"$KIVO_RIG_CONTROL" 3 set password secret3 > /dev/null || fail "camera 3 kept its password"
printf '[BacPac]\r\nIPAddress=%s\r\nPassword=cameralnk\r\n[Cameras]\r\nkcam3=secret3\r\nkcam2=wrong\r\n' \
  "$KIVO_CAMSIM_ADDRESS" > "$work/prog/Kivo.ini"
run 0 --interface kcam3 status
only_camera 3
grep -q "t=secret3" <<< "$requests_3" || fail "camera 3 got:\n$requests_3"
run 4 --interface kcam2 status
only_camera 2
run 0 --interface kcam1 status  # no row: the one password of [BacPac]
only_camera 1
run 4 --password cameralnk --interface kcam3 status  # --password stands for every camera
run 4 --all status --json  # the wrong one says so; the others answer
grep -q "^kivo-cli: kcam2: " <<< "$err" || fail "stderr: $err"
[ "$(jq -r .interface <<< "$out" | tr '\n' ' ')" = "kcam1 kcam3 " ] || fail "status: $out"
run 0 cameras --json
[ "$(grep -c '"answering":true' <<< "$out")" = 2 ] || fail "cameras: $out"
grep '"interface":"kcam2"' <<< "$out" | grep -q '"answering":false' || fail "cameras: $out"
"$KIVO_RIG_CONTROL" 3 set password cameralnk > /dev/null
printf '[BacPac]\r\nIPAddress=%s\r\nPassword=cameralnk\r\n' "$KIVO_CAMSIM_ADDRESS" \
  > "$work/prog/Kivo.ini"

begin "a camera that does not answer is listed as such"
"$KIVO_RIG_CONTROL" 1 link down
run 0 cameras --json
"$KIVO_RIG_CONTROL" 1 link up
grep '"interface":"kcam1"' <<< "$out" | grep -q '"error":"not answering"' ||
  fail "cameras: $out"

begin "--all status --json: every camera at once, each object naming its interface"
run 0 --all status --json
got=$(jq -r '.interface + " " + .model' <<< "$out" | sort)
[ "$got" = "$want" ] || fail "status: $got\nexpected:\n$want"
for i in 1 2 3; do grep -q "GET /bacpac/se?t=cameralnk" <<< "$(eval "echo \"\$requests_$i\"")" ||
  fail "camera $i was not asked"; done

begin "--all record start arrives at every camera; --interface A,B at those alone"
run 0 --all record start
for i in 1 2 3; do grep -q "/bacpac/SH?t=cameralnk&p=%01" <<< "$(eval "echo \"\$requests_$i\"")" ||
  fail "camera $i got no record start"; done
[ "$(grep -c '^kcam[123]: record: started$' <<< "$out")" = 3 ] || fail "output: $out"
run 0 --interface kcam1,kcam3 record stop
[ -z "$requests_2" ] || fail "camera 2 got requests meant for 1 and 3:\n$requests_2"
run 0 --all record stop  # camera 2 still recording, the others already stopped
[ "$(wc -l <<< "$out")" = 3 ] || fail "output: $out"
run 2 --all record sideways
[ "$err" = "kivo-cli: record takes one of: start stop" ] || fail "said once: $err"

begin "one camera unplugged mid-rig: the others carry on, the missing one is named"
"$cli" --all watch --interval 1 > "$work/watch" 2> "$work/watch_err" &
watcher=$!
sleep 1.5
"$KIVO_RIG_CONTROL" 2 link down
sleep 4
before=$(grep -c '^kcam1: Camera' "$work/watch")
sleep 2
kill -INT "$watcher"
wait "$watcher"
rc=$?
[ "$rc" = 130 ] || fail "watch exited $rc"
[ "$(grep -c '^kcam1: Camera' "$work/watch")" -gt "$before" ] || fail "camera 1 went quiet"
grep -q "^kivo-cli: kcam2: BacPac timeout" "$work/watch_err" || fail "stderr: $(cat "$work/watch_err")"
run 3 --all record start
"$KIVO_RIG_CONTROL" 2 link up
grep -q "^kivo-cli: kcam2: BacPac timeout$" <<< "$err" || fail "stderr: $err"
[ "$(grep -c 'record: started' <<< "$out")" = 2 ] || fail "output: $out"
run 0 --all record stop

begin "get --new --all through one flaky camera: every file whole, each camera in its folder"
"$KIVO_RIG_CONTROL" 2 fault flaky 1 8080 > /dev/null
run 0 --json get --new --all --to "$work/rig"
"$KIVO_RIG_CONTROL" 2 fault none 8080 > /dev/null
[ "$(jq -r 'select(.outcome != "downloaded")' <<< "$out")" = "" ] || fail "outcomes: $out"
for i in 1 2 3; do
  n=$(find "$work/rig/kcam$i" -type f | wc -l)
  [ "$n" -ge 2 ] || fail "kcam$i: $n files"
  for f in "$work/rig/kcam$i"/*/*; do
    curl -s -f --interface "kcam$i" -o "$work/reference" \
      "http://$KIVO_CAMSIM_ADDRESS:8080/videos/${f#"$work/rig/kcam$i/"}" &&
      cmp -s "$f" "$work/reference" || fail "$f is not camera $i's"
  done
done
[ "$(find "$work/rig/kcam2" -type f -size +1M | wc -l)" -ge 1 ] || fail "no large file on camera 2"
run 0 --all get --new --to "$work/rig"
[ "$(grep -c "Nothing new on the camera's card" <<< "$out")" = 3 ] || fail "second run: $out"

echo "rig_cli_e2e.sh: $cases cases, $failures failed"
[ "$failures" = 0 ]
