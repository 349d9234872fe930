#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh Wine prefix, beside the simulated camera in a
# private network namespace (tests/e2e/netns_run.sh), on one virtual display:
#   0. the zip holds kivo.exe, kivo-cli.exe (which runs) and README.txt; the installer's manifest
#      asks for no elevation;
#   1. "kivo-VERSION-setup.exe /S /ADDTOPATH" installs per user: the files (kivo-cli.exe among
#      them) in %LOCALAPPDATA%\Programs\Kivo, the Start-menu shortcut, the Uninstall entry under
#      HKCU (read with "reg query") and none under HKLM, and the folder appended to the user's
#      PATH (HKCU\Environment, which held two folders already), where a console finds kivo-cli;
#   2. the installed kivo.exe polls the camera and keeps Kivo.ini in %APPDATA%\Kivo;
#   3. the entry's QuietUninstallString removes the program files, the folder, the shortcut,
#      the entry and the folder from the PATH (the user's own two stay), and keeps the settings
#      and the downloads;
#   4. "/S /ALLUSERS" installs per machine: Program Files, the all-users shortcut, HKLM; the PATH
#      is left alone without /ADDTOPATH;
#   5. its uninstaller with /REMOVESETTINGS removes that and the settings, not the downloads.
#
#   tests/win32/installer_test.sh SETUP_EXE VERSION KIVO_CAMSIM WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ $# -eq 4 ] || { echo "usage: installer_test.sh SETUP_EXE VERSION KIVO_CAMSIM WORK_DIR" >&2; exit 2; }

if [ "${KIVO_E2E_NETNS:-}" != 1 ]; then
  exec "$here/../e2e/netns_run.sh" --camsim "$3" -- \
    xvfb-run -a -s "-screen 0 1024x768x24" bash "${BASH_SOURCE[0]}" "$@"
fi

setup=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
version=$2
rm -rf "$4"
mkdir -p "$4/home"
work=$(cd "$4" && pwd)
# A fresh prefix; its shell folders must not become links into the real home folder.
export KIVO_WINEPREFIX=$work/prefix HOME=$work/home
# No menu entries for the host desktop: they cost time and are not under test.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_run() { "$here/wine_run.sh" "$@"; }
step() { echo "installer_test: [${SECONDS} s] $*" >&2; }

fail() {
  echo "installer_test: $*" >&2
  exit 1
}

# "reg query" of the Uninstall entry under HKCU and under HKLM and of the user's PATH, and
# "kivo-cli --version" as a console finds it on the PATH, in one Wine session (each costs
# seconds): what they say, without CRs, in $work/HKCU, HKLM, PATH and CLI. The entry is there
# when its file names the key.
query_entries() {
  rm -f "$work/HKCU" "$work/HKLM" "$work/PATH" "$work/CLI"
  wine_run "$KIVO_WINEPREFIX/drive_c/windows/system32/cmd.exe" /c reg query "HKCU\\$key" '&' \
    echo ---- '&' reg query "HKLM\\$key" '&' echo ---- '&' \
    reg query 'HKCU\Environment' /v Path '&' echo ---- '&' kivo-cli --version \
    > "$work/reg.raw" 2>&1 || true
  tr -d '\r' < "$work/reg.raw" | awk -v dir="$work" 'BEGIN { split("HKCU HKLM PATH CLI", f) }
    /^---- *$/ { n++; next } { print > (dir "/" f[n + 1]) }'
}
# The user's PATH as "reg query" showed it, unexpanded.
user_path() { sed -n 's/^    Path    REG_[A-Z_]*SZ    //p' "$work/PATH" 2>/dev/null; }
check_path() {  # WANT WHEN
  [ "$(user_path)" = "$1" ] || fail "$2: the user's PATH is [$(user_path)], want [$1]"
}
has_entry() {  # HKCU or HKLM
  local root=HKEY_CURRENT_USER
  [ "$1" = HKCU ] || root=HKEY_LOCAL_MACHINE
  [ -f "$work/$1" ] && grep -qxF "$root\\$key" "$work/$1"
}

# C:\ path of a file below drive_c.
win_path() { local p=${1#"$KIVO_WINEPREFIX/drive_c/"}; echo "C:\\${p//\//\\}"; }

# The Uninstall entry in FILE (reg query output) describes an installation in INSTDIR.
check_entry() {  # FILE INSTDIR
  local win
  win=$(win_path "$2")
  while IFS='|' read -r name type value; do
    grep -qxF "    $name    $type    $value" "$1" ||
      fail "Uninstall entry: want $name = $value; reg query said: $(cat "$1")"
  done << EOF
DisplayName|REG_SZ|Kivo
DisplayVersion|REG_SZ|$version
Publisher|REG_SZ|The Kivo developers
DisplayIcon|REG_SZ|$win\\kivo.exe,0
InstallLocation|REG_SZ|$win
UninstallString|REG_SZ|"$win\\uninstall.exe"
QuietUninstallString|REG_SZ|"$win\\uninstall.exe" /S
EOF
  # EstimatedSize is in KiB and at least the size of kivo.exe.
  local size
  size=$(sed -n 's/^    EstimatedSize    REG_DWORD    \(0x[0-9a-fA-F]*\)$/\1/p' "$1")
  [ -n "$size" ] || fail "Uninstall entry: no EstimatedSize"
  [ $((size)) -ge $(($(stat -c %s "$2/kivo.exe") / 1024)) ] ||
    fail "Uninstall entry: EstimatedSize $((size)) KiB is less than kivo.exe"
}

# The program folder holds exactly what the installer puts there.
check_installed() {  # INSTDIR SHORTCUT
  [ -d "$1" ] || fail "nothing installed in $1"
  local want got
  want=$( (ls "$zip_dir"; echo uninstall.exe) | sort | tr '\n' ' ')
  got=$(ls "$1" | sort | tr '\n' ' ')
  [ "$got" = "$want" ] || fail "$1 holds [$got], want [$want]"
  for exe in kivo.exe kivo-cli.exe; do
    cmp -s "$1/$exe" "$zip_dir/$exe" || fail "the installed $exe is not the zip's"
  done
  [ -f "$2" ] || fail "no Start-menu shortcut $2"
  local texts
  texts=$(strings -a "$2"; strings -a -el "$2")
  grep -qiF "$(win_path "$1")\\kivo.exe" <<< "$texts" ||
    fail "the shortcut does not point at $(win_path "$1")\\kivo.exe"
}

check_removed() {  # INSTDIR SHORTCUT
  [ ! -e "$1" ] || fail "the uninstaller left $1: $(ls -A "$1" | tr '\n' ' ')"
  [ ! -e "$2" ] || fail "the uninstaller left the shortcut $2"
  query_entries
  ! has_entry HKCU || fail "the uninstaller left the entry under HKCU"
  ! has_entry HKLM || fail "the uninstaller left the entry under HKLM"
}

key=Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kivo
zip=$(dirname "$setup")/kivo-$version-win64.zip
zip_dir=$work/zip/kivo-$version
unzip -q "$zip" -d "$work/zip" || fail "cannot unpack $zip"
for f in kivo.exe kivo-cli.exe README.txt; do
  [ -s "$zip_dir/$f" ] || fail "the zip has no kivo-$version/$f"
done
grep -q $'\r$' "$zip_dir/README.txt" || fail "the zip's README.txt has no CR LF line ends"
# Wine grants every program administrator rights, so only the manifest can show that the
# installer asks Windows for none.
manifest=$(strings -a "$setup")
grep -q 'requestedExecutionLevel level="asInvoker"' <<< "$manifest" ||
  fail "the installer's manifest asks for more than the user's own rights"

# The zip's kivo-cli.exe runs (and makes the prefix); then the user gets a PATH of their own, with
# a variable in it that must stay unexpanded.
step "the zip's kivo-cli.exe --version"
cli_version=$(wine_run "$zip_dir/kivo-cli.exe" --version | tr -d '\r') ||
  fail "the zip's kivo-cli.exe --version ended with status $?"
grep -qF "$version" <<< "$cli_version" || fail "kivo-cli.exe --version said [$cli_version]"
own_path='C:\Tools;%USERPROFILE%\bin'
wine_run "$KIVO_WINEPREFIX/drive_c/windows/system32/reg.exe" add 'HKCU\Environment' /v Path \
  /t REG_EXPAND_SZ /d "$own_path" /f > /dev/null || fail "reg add of the user's PATH failed"

# 1. Per user, silently, with the program folder added to the user's PATH.
step "setup /S /ADDTOPATH"
wine_run "$setup" /S /ADDTOPATH || fail "setup /S /ADDTOPATH ended with status $?"
users=$KIVO_WINEPREFIX/drive_c/users
profile=$(find "$users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
[ -n "$profile" ] || fail "no user profile in the new prefix"
user_dir=$profile/AppData/Local/Programs/Kivo
settings=$profile/AppData/Roaming/Kivo
user_link="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kivo.lnk"
downloads=$profile/Pictures/Kivo
check_installed "$user_dir" "$user_link"
query_entries
has_entry HKCU || fail "no Uninstall entry under HKCU: $(cat "$work/reg.raw")"
check_entry "$work/HKCU" "$user_dir"
! has_entry HKLM || fail "a per-user installation wrote under HKLM"
check_path "$own_path;$(win_path "$user_dir")" "after setup /S /ADDTOPATH"
[ "$(cat "$work/CLI")" = "$cli_version" ] ||
  fail "a console did not find kivo-cli on the PATH: $(cat "$work/CLI")"

# 2. The installed kivo.exe against the camera; File > Exit writes the settings.
step "the installed kivo.exe"
wine_run "$user_dir/kivo.exe" --choose Exit1@10000 --quit-after 40000 2> "$work/kivo.log" ||
  fail "the installed kivo.exe ended with status $?"
grep -q " GET /bacpac/se?t=cameralnk$" "$KIVO_CAMSIM_LOG" || fail "no BacPac status poll"
grep -q " GET /camera/se?t=cameralnk$" "$KIVO_CAMSIM_LOG" || fail "no camera status poll"
rule_check() {  # CONDITION-TEXT, then the test as the remaining words
  local what=$1
  shift
  "$@" || fail "$what"
}
rule_check "the installed kivo.exe kept no Kivo.ini in %APPDATA%\\Kivo" test -f "$settings/Kivo.ini"
rule_check "the installed kivo.exe wrote beside itself: $(ls "$user_dir" | tr '\n' ' ')" \
  test ! -e "$user_dir/Kivo.ini" -a ! -e "$user_dir/ErrorLog.txt"

# 3. The entry's quiet uninstall. A download and the settings must survive it.
mkdir -p "$settings" "$downloads"
[ -f "$settings/Kivo.ini" ] || printf '[Camera]\r\n' > "$settings/Kivo.ini"
echo photo > "$downloads/GOPR0001.JPG"
quiet=$(sed -n 's/^    QuietUninstallString    REG_SZ    "\(.*\)" \(.*\)$/\1|\2/p' "$work/HKCU")
uninstaller=$KIVO_WINEPREFIX/drive_c/$(echo "${quiet%%|*}" | sed 's/^C:\\//; s/\\/\//g')
step "QuietUninstallString: ${quiet/|/ }"
KIVO_WINE_WAIT=1 wine_run "$uninstaller" ${quiet#*|} || fail "the uninstaller ended with status $?"
check_removed "$user_dir" "$user_link"
check_path "$own_path" "after the uninstall"
[ -f "$settings/Kivo.ini" ] || fail "the uninstaller removed the settings unasked"
[ -f "$downloads/GOPR0001.JPG" ] || fail "the uninstaller removed a download"

# 4. Per machine (Wine runs every program with administrator rights).
step "setup /S /ALLUSERS"
wine_run "$setup" /S /ALLUSERS || fail "setup /S /ALLUSERS ended with status $?"
machine_dir="$KIVO_WINEPREFIX/drive_c/Program Files/Kivo"
machine_link="$KIVO_WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kivo.lnk"
check_installed "$machine_dir" "$machine_link"
query_entries
has_entry HKLM || fail "no Uninstall entry under HKLM: $(cat "$work/reg.raw")"
check_entry "$work/HKLM" "$machine_dir"
! has_entry HKCU || fail "a per-machine installation wrote under HKCU"
check_path "$own_path" "after setup /S /ALLUSERS without /ADDTOPATH"

# 5. Uninstall, settings too.
step "uninstall.exe /S /REMOVESETTINGS"
KIVO_WINE_WAIT=1 wine_run "$machine_dir/uninstall.exe" /S /REMOVESETTINGS ||
  fail "the uninstaller ended with status $?"
check_removed "$machine_dir" "$machine_link"
[ ! -e "$settings" ] || fail "/REMOVESETTINGS left $settings"
[ -f "$downloads/GOPR0001.JPG" ] || fail "the uninstaller removed a download"
echo "installer_test: passed"
