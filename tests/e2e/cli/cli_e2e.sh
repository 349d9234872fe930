#!/usr/bin/env bash
# kivo-cli end to end, against the simulated camera, inside the namespace netns_run.sh makes:
#
#   tests/e2e/netns_run.sh [SIMULATOR OPTIONS] -- tests/e2e/cli/cli_e2e.sh GROUP path/to/kivo-cli
#
# GROUP picks the cases that fit the simulator's set-up (see CMakeLists.txt beside this file):
# main, hero3plus, table, old, interrupt, answers. Each case runs kivo-cli as a script would and checks
# its exit status, its output and the exact requests the camera received (the request log).
set -uo pipefail
group=${1:?group}
cli=${2:?path to kivo-cli}
if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  echo "cli_e2e.sh: run me through tests/e2e/netns_run.sh" >&2
  exit 2
fi
log=$KIVO_CAMSIM_LOG
media=http://$KIVO_CAMSIM_ADDRESS:8080
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
cases=0

fail() {
  printf 'FAIL [%s]: %b\n' "$case_name" "$*" >&2
  failures=$((failures + 1))
}
begin() {
  case_name=$1
  cases=$((cases + 1))
}
control() { "$KIVO_CAMSIM" --control "$KIVO_CAMSIM_CONTROL" "$@" > /dev/null; }

# run RC ARGS...: runs kivo-cli; its output lands in $out and $err, the requests the camera got
# meanwhile in $requests ("PORT METHOD TARGET" lines).
run() {
  local want=$1
  shift
  local mark
  mark=$(wc -l < "$log")
  "$cli" "$@" > "$work/out" 2> "$work/err"
  rc=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
  requests=$(tail -n +$((mark + 1)) "$log" | cut -d' ' -f2-)
  [ "$rc" = "$want" ] || fail "kivo-cli $* exited $rc, expected $want\nstderr: $err"
}
expect_requests() {
  [ "$requests" = "$1" ] || fail "requests were:\n$requests\nexpected:\n$1"
}
expect_no_requests() { expect_requests ""; }
expect_err() {
  [ "$err" = "kivo-cli: $1" ] || fail "stderr was: $err\nexpected: kivo-cli: $1"
}

ls_json=""
ls_names=""
pw=cameralnk
SE="80 GET /bacpac/se?t=$pw
80 GET /camera/se?t=$pw"
BACPAC="80 GET /bacpac/se?t=$pw"
# A command is status, the command, then the status that shows the change.
commanded() { printf '%s\n80 GET %s\n%s' "$SE" "$1" "$SE"; }

json_field() { jq -r "$1" <<< "$out"; }

# ---- main: status, every command, set, exit statuses, ls, get through a flaky link ----------
group_main() {
  begin "status"
  run 0 status
  expect_requests "$SE"
  grep -q '^Camera *Hero 3 Black (on)$' <<< "$out" || fail "status text:\n$out"

  begin "status --json of the HERO3 Black record"
  run 0 --json status
  expect_requests "$SE"
  [ "$(json_field '.model + "|" + (.model_code|tostring) + "|" + .power + "|" + .mode')" = \
    "Hero 3 Black|4|on|video" ] || fail "status json: $out"
  [ "$(json_field '.settings | keys | length')" = 11 ] || fail "settings: $out"
  [ "$(json_field '.recording')" = false ] || fail "recording: $out"

  begin "set, by name, each value confirmed by the status"
  while read -r name value target; do
    run 0 set "$name" "$value"
    expect_requests "$(commanded "$target")"
    run 0 --json status
    [ "$(json_field ".settings[\"$name\"]")" = "$value" ] || fail "$name is not $value: $out"
  done <<EOT
resolution 1080-30 /camera/VR?t=$pw&p=%07
resolution 720-60 /camera/VR?t=$pw&p=%0a
fov medium /camera/FV?t=$pw&p=%01
photo 5mp-wide /camera/PR?t=$pw&p=%02
photo 10mp-wide /camera/PR?t=$pw&p=%08
interval 30s /camera/TI?t=$pw&p=%1e
interval 0.5s /camera/TI?t=$pw&p=%00
beep 70 /camera/BS?t=$pw&p=%01
default-mode burst /camera/DM?t=$pw&p=%02
leds off /camera/LB?t=$pw&p=%00
video-standard pal /camera/VM?t=$pw&p=%01
protune on /camera/PT?t=$pw&p=%01
protune off /camera/PT?t=$pw&p=%00
spot-meter on /camera/EX?t=$pw&p=%01
orientation down /camera/UP?t=$pw&p=%01
orientation up /camera/UP?t=$pw&p=%00
EOT

  begin "set name: the camera's name has no status, the reply is all"
  run 0 set name "Rig 1"
  expect_requests "$SE
80 GET /camera/CN?t=$pw&p=%09Rig%201"

  begin "typed names and passwords reach the camera percent-encoded, byte for byte"
  run 0 set name 'my cam&t=x?y#z'
  expect_requests "$SE
80 GET /camera/CN?t=$pw&p=%09my%20cam%26t%3Dx%3Fy%23z"
  "$KIVO_CAMSIM" --control "$KIVO_CAMSIM_CONTROL" state | grep -qF 'name="my cam&t=x?y#z"' ||
    fail "the camera's name is not the one typed"
  run 0 set name $'K\xc3\xa4fer'
  expect_requests "$SE
80 GET /camera/CN?t=$pw&p=%09K%C3%A4fer"
  run 4 --password 'cameralnk&p=%01' status
  expect_requests "80 GET /bacpac/se?t=cameralnk%26p%3D%2501"
  control set password 'my%20pass'
  run 0 --password 'my pass' status
  expect_requests "80 GET /bacpac/se?t=my%20pass
80 GET /camera/se?t=my%20pass"
  control set password "$pw"

  begin "set --list"
  run 0 --json set --list
  expect_requests "$SE"
  [ "$(jq -rs 'map(select(.name == "video-standard"))[0].current' <<< "$out")" = pal ] ||
    fail "set --list: $out"

  begin "mode, each confirmed"
  for m in photo:01 burst:02 timelapse:03 video:00; do
    run 0 mode "${m%:*}"
    expect_requests "$(commanded "/camera/CM?t=$pw&p=%${m#*:}")"
  done

  begin "record start and stop"
  run 0 record start
  expect_requests "$(commanded "/bacpac/SH?t=$pw&p=%01")"
  run 0 --json status
  [ "$(json_field '.recording')" = true ] || fail "not recording: $out"
  run 0 record stop
  expect_requests "$(commanded "/bacpac/SH?t=$pw&p=%00")"

  begin "locate"
  run 0 locate on
  expect_requests "$(commanded "/camera/LL?t=$pw&p=%01")"
  run 0 locate off
  expect_requests "$(commanded "/camera/LL?t=$pw&p=%00")"

  begin "clock, confirmed through the camera's clock"
  run 0 clock "15.12.31 23:59:59"
  expect_requests "$SE
80 GET /camera/TM?t=$pw&p=%0f%0c%1f%17%3b%3b
8080 HEAD /"
  run 0 --json clock show
  expect_requests "8080 HEAD /"
  [ "$(json_field '.camera_date')" = "Dec 31 2015" ] || fail "clock show: $out"
  run 0 clock local
  grep -q "^80 GET /camera/TM?t=$pw&p=%[0-9a-f][0-9a-f]%" <<< "$requests" || fail "clock local: $requests"
  run 2 clock "15.12.31 23:59"
  expect_err "Date is not in correct format"
  expect_no_requests
  run 2 clock "15.12.xx 23:59:59"
  expect_err "'xx' is not a valid integer value"
  expect_no_requests
  for wrong in "15.13.40 99:99:99" "15.02.29 12:00:00" "15.12.31 24:00:00" "15.12.00 12:00:00"; do
    run 2 clock "$wrong"
    expect_err "Date is not in correct format"
    expect_no_requests
  done
  run 0 clock "16.02.29 12:00:00"

  begin "clock: a camera that ignores the time is no success"
  control set clock-settable 0
  run 1 clock "15.12.31 23:59:59"
  [[ "$err" == "kivo-cli: The camera did not follow: its clock shows "* ]] || fail "stderr: $err"
  control set clock-settable 1

  begin "clock --json: the difference and its seconds agree, sign included"
  for offset in 0 -1 5 -3700; do
    control set clock-offset "$offset"
    run 0 --json clock show
    local text seconds said
    text=$(json_field '.difference')
    seconds=$(json_field '.difference_seconds')
    said=$(awk -v t="$text" 'BEGIN { sign = substr(t, 1, 1) == "-" ? -1 : 1; sub(/^[-+] /, "", t);
      split(t, f, ":"); print sign * (f[1] * 3600 + f[2] * 60 + f[3]) }')
    [ "$said" = "$seconds" ] || fail "offset $offset: difference $text beside $seconds seconds"
  done
  control set clock-offset 0

  begin "preview"
  run 0 preview
  expect_requests "$(commanded "/camera/PV?t=$pw&p=%02")
8080 GET /live/"
  [ "$out" = "$media/live/amba.m3u8" ] || fail "preview printed: $out"

  begin "preview --player starts the player on the stream"
  printf '#!/bin/sh\necho "$@" > "%s/player-args"\n' "$work" > "$work/player"
  chmod +x "$work/player"
  run 0 preview --player "$work/player"
  expect_requests "$SE
8080 GET /live/"
  for _ in $(seq 100); do [ -s "$work/player-args" ] && break; sleep 0.02; done
  [ "$(cat "$work/player-args" 2> /dev/null)" = \
    "$media/live/amba.m3u8 --qt-minimal-view --no-qt-name-in-title --scale=2" ] ||
    fail "player got: $(cat "$work/player-args" 2> /dev/null)"

  begin "watch, one object per line, ended by Ctrl-C with status 130"
  timeout --preserve-status -s INT 2.5 "$cli" --json watch --interval 1 > "$work/watch" 2> "$work/err"
  rc=$?
  [ "$rc" = 130 ] || fail "watch exited $rc: $(cat "$work/err")"
  [ "$(jq -s 'map(select(.model == "Hero 3 Black")) | length' "$work/watch")" -ge 2 ] ||
    fail "watch printed: $(cat "$work/watch")"

  begin "a status record cut short"
  control fault short 0 80
  run 1 mode photo
  expect_err "The camera's status record was too short to read"
  control fault none all

  begin "power"
  run 0 power off
  expect_requests "$SE
80 GET /bacpac/PW?t=$pw&p=%00
$BACPAC"
  run 1 mode photo
  expect_err "Connected Camera is off"
  expect_requests "$BACPAC"
  run 0 --json status
  [ "$(json_field '.power + "|" + (.mode|tostring)')" = "off|null" ] || fail "off: $out"
  run 0 power on
  expect_requests "$BACPAC
80 GET /bacpac/PW?t=$pw&p=%01
$SE"
  run 0 power on
  expect_requests "$SE"

  begin "exit statuses"
  run 2 set frobnicate 1
  expect_err "unknown setting frobnicate (kivo-cli set --list)"
  expect_no_requests
  run 2 set fov fisheye
  expect_no_requests
  run 2 fly
  expect_no_requests
  run 2 delete-all
  expect_no_requests
  run 4 --password wrong status
  expect_requests "80 GET /bacpac/se?t=wrong"
  expect_err "Connection Refused. Check Password..."
  control fault wrongpass
  run 4 power on
  expect_requests "$BACPAC"
  control fault refuse
  run 3 status
  expect_err "No connection to Camera"
  run 3 ls
  control fault silent 0 80
  run 3 status
  expect_err "BacPac timeout"
  control fault none all

  begin "ls \"\" is no folder"
  run 2 ls ""
  expect_no_requests

  begin "ls"
  run 0 ls
  expect_requests "8080 GET /videos/DCIM/
8080 GET /DCIM/
8080 GET /videos/
8080 GET /videos/100GOPRO/"
  check_ls

  begin "get --new through a flaky link, then nothing new"
  local dest=$work/offload
  control fault flaky 2 8080
  run 0 --json get --new --to "$dest"
  control fault none 8080
  [ "$(jq -rs 'map(select(.outcome != "downloaded")) | length' <<< "$out")" = 0 ] ||
    fail "get --new outcomes: $out"
  local files
  files=$(jq -rs 'length' <<< "$out")
  [ "$files" -gt 5 ] || fail "only $files files downloaded"
  compare_with_camera "$dest"
  run 0 get --new --to "$dest"
  [ "$out" = "Nothing new on the camera's card" ] || fail "second run: $out"
  # The listing's sizes are rounded: the camera is asked for each file's size, nothing more.
  grep -q "GET .*GOPR[0-9]" <<< "$requests" && fail "second run fetched files:\n$requests"

  begin "get --new: an old file of the same name is not the camera's"
  local beside=$work/beside photo
  photo=$(jq -r 'select(.kind == "photo") | .folder + "/" + .name' <<< "$ls_json" | head -1)
  mkdir -p "$beside/${photo%/*}"
  printf '26 bytes of an older card' > "$beside/$photo"
  cp "$beside/$photo" "$work/old-photo"
  run 0 --json get --new --to "$beside"
  local copy=$beside/${photo%.*}-1.${photo##*.}
  [ "$(jq -r --arg n "${photo#*/}" 'select(.name == $n) | .outcome + " " + .path' <<< "$out")" = \
    "downloaded $copy" ] || fail "get --new: $out"
  cmp -s "$beside/$photo" "$work/old-photo" || fail "the old file was changed"
  cmp -s "$copy" "$dest/$photo" || fail "$copy is not the camera's"
  run 0 get --new --to "$beside"
  [ "$out" = "Nothing new on the camera's card" ] || fail "the copy was not recognised: $out"

  begin "get on a full disk says so and leaves no empty .part"
  local small=$work/small
  mkdir -p "$small"
  if mount -t tmpfs -o size=256k tmpfs "$small" 2> /dev/null; then
    dd if=/dev/zero of="$small/filler" bs=4k 2> /dev/null
    run 1 get --new --to "$small"
    grep -q "^kivo-cli: [0-9A-Z]*/GOPR[0-9]*\.[A-Z0-9]*: The disk is full$" \
      <<< "$err" || fail "stderr: $err"
    [ -z "$(find "$small" -name '*.part' -size 0)" ] || fail "empty .part files left"
    umount "$small"
  else
    echo "cli_e2e.sh: no tmpfs in this namespace; full disk not tried" >&2
  fi

  begin "get FILE, same size skipped, never overwritten"
  local newest
  newest=$(head -1 <<< "$ls_names")
  run 0 --json get "$newest" --to "$dest"
  [ "$(jq -rs '.[0].outcome' <<< "$out")" = already-here ] || fail "get again: $out"
  run 1 get NOSUCH.JPG --to "$dest"
  expect_err "No file NOSUCH.JPG on the camera's card"

  begin "delete-last and delete-all"
  run 0 delete-last
  expect_requests "$(commanded "/camera/DL?t=$pw")"
  run 0 delete-all --yes
  expect_requests "$(commanded "/camera/DA?t=$pw")"
  run 0 --json status
  [ "$(json_field '.photos + .videos')" = 0 ] || fail "card not empty: $out"

  begin "an empty card is an empty list"
  control set card empty
  run 0 ls
  [ -z "$out" ] || fail "ls: $out"
  run 0 get --new --to "$work/empty"
  [ "$out" = "Nothing new on the camera's card" ] || fail "get --new: $out"

  begin "bash completion: commands, setting names and values, without a request"
  local mark
  mark=$(wc -l < "$log")
  [ "$(complete_words kivo-cli "")" = "$(printf '%s ' status watch power record mode locate set \
    clock ls get delete-last delete-all preview cameras)" ] || fail "commands: $(complete_words kivo-cli "")"
  [ "$(complete_words kivo-cli --json set fo)" = "fov " ] || fail "set fo"
  [ "$(complete_words kivo-cli set interval "")" = "0.5s 1s 2s 5s 10s 30s 60s " ] ||
    fail "interval values: $(complete_words kivo-cli set interval "")"
  [ "$(complete_words kivo-cli set interval 5s "")" = "" ] || fail "after the value"
  [ "$(wc -l < "$log")" = "$mark" ] || fail "completion talked to the camera"

  begin "defaults from Kivo.ini, which stays as it was"
  mkdir -p "$work/prog"
  cp "$cli" "$work/prog/kivo-cli"
  printf '[BacPac]\r\nIPAddress=%s\r\nPassword=not-this-one\r\n' "$KIVO_CAMSIM_ADDRESS" \
    > "$work/prog/Kivo.ini"
  cp "$work/prog/Kivo.ini" "$work/ini.before"
  local real_cli=$cli
  cli=$work/prog/kivo-cli
  run 4 status
  expect_requests "80 GET /bacpac/se?t=not-this-one"
  run 0 --password "$pw" status
  cli=$real_cli
  cmp -s "$work/prog/Kivo.ini" "$work/ini.before" || fail "Kivo.ini was changed"

  begin "installed: settings only read, no folder made, nothing said"
  # /opt counts as a system folder; this namespace's own /opt is a scratch one.
  if mount -t tmpfs tmpfs /opt 2> /dev/null; then
    mkdir -p /opt/kivo "$work/home"
    cp "$real_cli" /opt/kivo/kivo-cli
    cli=/opt/kivo/kivo-cli
    local saved_home=$HOME before=$failures
    export HOME=$work/home
    (
      unset XDG_CONFIG_HOME XDG_STATE_HOME XDG_CACHE_HOME
      run 0 --quiet status
      [ -z "$err" ] || fail "stderr: $err"
      [ -z "$(find "$HOME" -mindepth 1)" ] || fail "made: $(find "$HOME" -mindepth 1)"
      printf '[BacPac]\r\nPassword=shipped\r\n' > /opt/kivo/Kivo.ini
      run 4 status
      expect_requests "80 GET /bacpac/se?t=shipped"
      mkdir -p "$HOME/.config/kivo"
      printf '[BacPac]\r\nPassword=saved\r\n' > "$HOME/.config/kivo/Kivo.ini"
      run 4 status
      expect_requests "80 GET /bacpac/se?t=saved"
      [ -z "$(find "$HOME" -mindepth 1 -not -path "$HOME/.config*")" ] || fail "made folders"
      exit $((failures - before))
    ) || failures=$((failures + $?))
    export HOME=$saved_home
    cli=$real_cli
    umount /opt
  else
    echo "cli_e2e.sh: cannot mount over /opt in this namespace; installed layout not tried" >&2
  fi
}

# The words the installed completion offers for a command line whose last word is being typed.
complete_words() {
  (
    PATH=$(dirname "$cli"):$PATH
    # shellcheck source=/dev/null
    source "$(dirname "$0")/../../../packaging/linux/kivo-cli.bash-completion"
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    _kivo_cli
    [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s ' "${COMPREPLY[@]}"
  )
}

# ls against the raw listing: every photo and video the pages name, newest first.
check_ls() {
  ls_names=$(awk '{ print $2 }' <<< "$out")
  local dates
  dates=$(grep -o '20[0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]' <<< "$out")
  [ "$dates" = "$(sort -r <<< "$dates")" ] || fail "ls not newest first:\n$out"
  run 0 --json ls
  ls_json=$out
  local json_names
  json_names=$(jq -r '.name' <<< "$out")
  [ "$json_names" = "$ls_names" ] || fail "ls --json names differ:\n$json_names"
  local root
  root=$(jq -r '.url' <<< "$out" | head -1 | sed 's|[^/]*/[^/]*$||')
  local expected
  expected=$(for folder in $(jq -r '.folder' <<< "$out" | sort -u); do
    curl -s "$root$folder/" | grep -o 'GOPR[0-9]*\.\(JPG\|MP4\)' ; done | sort -u)
  [ "$(sort <<< "$ls_names")" = "$expected" ] || fail "ls names:\n$ls_names\ncamera:\n$expected"
}

# Every file under DIR/FOLDER/ equals the camera's copy.
compare_with_camera() {
  local dir=$1 f url
  for f in "$dir"/*/*; do
    case "$f" in *.part) fail "left over: $f"; continue ;; esac
    # A companion has no row of its own: it lies beside its video.
    url=$(jq -r --arg d "$(basename "$(dirname "$f")")" 'select(.folder == $d) | .url' \
      <<< "$ls_json" | head -1)
    url=${url%/*}/$(basename "$f")
    curl -s -f -o "$work/reference" "$url" || { fail "cannot fetch $url"; continue; }
    cmp -s "$f" "$work/reference" || fail "$f differs from the camera's"
  done
}

group_hero3plus() {
  begin "status --json of the HERO3+ Black record"
  run 0 --json status
  expect_requests "$SE"
  [ "$(json_field '.model + "|" + (.model_code|tostring) + "|" + .power')" = \
    "Hero 3+ Black|11|on" ] || fail "status json: $out"
  [ "$(json_field '.notes | length')" = 0 ] || fail "notes: $out"
}

# The later and the older listing layouts, at their own media roots.
group_listing() {
  local root=$1
  begin "ls of the $group layout"
  run 0 ls
  grep -q "^8080 GET $root" <<< "$requests" || fail "requests:\n$requests"
  [ -n "$out" ] || fail "no files listed"
  check_ls
  begin "get of the $group layout"
  run 0 get --all --to "$work/all"
  compare_with_camera "$work/all"
}

# Ctrl-C and SIGTERM leave the .part file; the next run resumes it.
group_interrupt() {
  local name dest=$work/big
  run 0 --json ls
  name=$(jq -r 'select(.kind == "video") | .folder + "/" + .name' <<< "$out" | head -1)
  local part=$dest/$name.part
  for signal in INT:130 TERM:143; do
    begin "get interrupted by SIG${signal%:*}"
    rm -rf "$dest"
    "$cli" get "$name" --to "$dest" > /dev/null 2> "$work/err" &
    local pid=$!
    for _ in $(seq 500); do
      [ -s "$part" ] && break
      sleep 0.01
    done
    kill -"${signal%:*}" "$pid"
    wait "$pid"
    rc=$?
    [ "$rc" = "${signal#*:}" ] || fail "exit $rc after SIG${signal%:*}"
    [ -s "$part" ] || fail "no .part file left"
    [ -e "$dest/$name" ] && fail "the whole file is there"
  done
  begin "the next run resumes, with a progress line on a terminal"
  local before
  before=$(stat -c %s "$part")
  # script(1) gives the program a terminal; the progress line goes there, rewritten in place.
  script -qec "$cli get $name --to $dest" /dev/null > "$work/tty" 2>&1 ||
    fail "get on a terminal failed: $(cat "$work/tty")"
  [ -e "$part" ] && fail ".part left"
  [ "$(stat -c %s "$dest/$name")" -gt "$before" ] || fail "not resumed"
  grep -q $'\r\[1/3\] '"$name"'  [0-9.]* [KMG]*B of 256.0 MB ([0-9]*%)' "$work/tty" ||
    fail "no progress line: $(head -c 300 "$work/tty" | od -c | head)"
  begin "no progress line when standard error is not a terminal"
  rm -f "$dest/$name"
  run 0 get "$name" --to "$dest"
  [ -z "$err" ] || fail "stderr: $err"
}

# Answers that are not what a status should be, and the ends of a watch (a camera of a model
# without a Wi-Fi battery, code 255).
group_answers() {
  begin "no Wi-Fi battery: null, and no line of text"
  run 0 --json status
  [ "$(json_field '.wifi_battery')" = null ] || fail "wifi_battery: $out"
  run 0 status
  grep -q "WiFi" <<< "$out" && fail "status text:\n$out"

  begin "a text page instead of the status record"
  control fault text 0 80
  run 1 status
  expect_err "The camera's answer is not a status record"
  [ -z "$out" ] || fail "printed: $out"
  run 1 --json status
  control fault none all

  begin "an HTTP error status instead of the status record"
  run 1 --password "$(printf 'p%.0s' $(seq 9000))" status
  expect_err "The camera's answer is not a status record (HTTP 431)"

  begin "watch: a camera that does not answer is an error on standard error"
  control fault silent 0 80
  timeout --preserve-status -s INT 5 "$cli" watch --interval 1 > "$work/watch" 2> "$work/err"
  rc=$?
  control fault none all
  [ "$rc" = 130 ] || fail "watch exited $rc"
  grep -q "timeout" "$work/watch" && fail "stdout: $(cat "$work/watch")"
  grep -q "^kivo-cli: BacPac timeout$" "$work/err" || fail "stderr: $(cat "$work/err")"

  begin "watch ended by SIGTERM"
  timeout --preserve-status -s TERM 1.5 "$cli" --json watch --interval 1 > "$work/watch" 2> /dev/null
  rc=$?
  [ "$rc" = 143 ] || fail "watch exited $rc"
  [ "$(jq -s 'map(select(.model == "Camera")) | length' "$work/watch")" -ge 1 ] ||
    fail "watch printed: $(cat "$work/watch")"
}

case "$group" in
  main) group_main ;;
  hero3plus) group_hero3plus ;;
  table) group_listing /videos/DCIM/ ;;
  old) group_listing /DCIM/ ;;
  interrupt) group_interrupt ;;
  answers) group_answers ;;
  *) echo "cli_e2e.sh: unknown group $group" >&2; exit 2 ;;
esac
echo "cli_e2e.sh $group: $cases cases, $failures failures"
[ "$failures" = 0 ]
