#!/usr/bin/env bash
# Builds the Debian package from a clean copy of the tree the Debian way (its build runs the unit
# tests that need neither a display nor a namespace in dh_auto_test) and checks it: lintian,
# desktop-file-validate and appstreamcli on what it installs; then, without installing it, runs
# the unpacked kivo --version and a short session of the unpacked kivo beside the unpacked
# kivo-camsim in a private network namespace, as a user who may not write to the program's
# folder: the settings must land in the XDG folders and nothing beside the program; then once
# more as root from below /usr (bind-mounted in the namespace), where root may write.
#   scripts/test_package.sh [--keep]    (--keep: leave the work folder for a look afterwards)
set -euo pipefail
KIVO_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$KIVO_ROOT/scripts/deps.sh"
kivo_ensure_packages
kivo_ensure_packages $KIVO_PACKAGE_TOOLS
keep=0
[ "${1:-}" = "--keep" ] && keep=1
started=$(date +%s)

# One fixed folder: the compiler flags name the source folder, so the same path lets ccache
# reuse the last package build's objects whichever checkout this runs from.
base=${TMPDIR:-/tmp}/kivo-package-build
exec 9>"$base.lock"
flock 9
rm -rf "$base"
mkdir -p "$base/kivo"
chmod 755 "$base"

# The clean copy: the files git knows (committed or not), no build folders.
(cd "$KIVO_ROOT" && git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf -) | tar -C "$base/kivo" -xf -
if command -v ccache >/dev/null 2>&1; then
  # debhelper gives the build a HOME of its own, which would hide the user's cache.
  CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_DIR
  unset CCACHE_BASEDIR
fi
fail() { echo "test_package: $*"; exit 1; }
# Without nocheck, as a user or a build daemon runs it: dh_auto_test must run the tests.
(cd "$base/kivo" && DEB_BUILD_OPTIONS="parallel=$(nproc)" \
  dpkg-buildpackage -us -uc -b >"$base/build.log" 2>&1) ||
  { tail -40 "$base/build.log"; fail "the package build failed"; }
tests_run=$(sed -n 's/^100% tests passed, 0 tests failed out of \([0-9]*\)$/\1/p' "$base/build.log")
[ "${tests_run:-0}" -gt 0 ] || fail "dh_auto_test ran no tests: $(grep -A3 dh_auto_test "$base/build.log")"
deb=$(ls "$base"/kivo_*_"$(dpkg --print-architecture)".deb)
echo "test_package: built $(basename "$deb") in $(( $(date +%s) - started )) s, $tests_run unit tests passed"
# lintian warns that it runs as root (the test command does); that is not about the package.
lintian --fail-on error,warning "$deb" 2> >(grep -v "running with root privileges" >&2)
unpacked=$base/unpacked
dpkg-deb -x "$deb" "$unpacked"
desktop=$unpacked/usr/share/applications/invalid.kivo.Kivo.desktop
metainfo=$unpacked/usr/share/metainfo/invalid.kivo.Kivo.metainfo.xml
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
# The id's top-level domain is the reserved .invalid (it claims no one's domain), which the
# validator notes as unknown; any other remark fails.
appstreamcli validate --no-net --strict --override=cid-maybe-not-rdns=pedantic "$metainfo"
for size in 16x16 32x32 48x48 256x256; do
  [ -s "$unpacked/usr/share/icons/hicolor/$size/apps/invalid.kivo.Kivo.png" ] || fail "no $size icon"
done
for page in kivo kivo-cli kivo-camsim; do
  [ -s "$unpacked/usr/share/man/man1/$page.1.gz" ] || fail "no manual page $page(1)"
done

version=$("$unpacked/usr/bin/kivo" --version)
echo "test_package: unpacked kivo --version: $version"
[ "$version" = "Kivo version $(dpkg-deb -f "$deb" Version | cut -d- -f1)" ] || fail "wrong version"

# A short session as nobody, who may not write to the unpacked (root-owned, 0755) program.
user=65534
home=$base/home
mkdir -p "$home/run" && chmod 700 "$home/run" && chown -R "$user:$user" "$home"
cp "$KIVO_ROOT/tests/e2e/netns_run.sh" "$base/netns_run.sh"
chmod -R a+rX "$base/netns_run.sh" "$unpacked"
before=$(find "$unpacked" | sort)
env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" \
    XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" XDG_CACHE_HOME="$home/cache" \
    QT_QPA_PLATFORM=offscreen TMPDIR="$home" \
  setpriv --reuid=$user --regid=$user --clear-groups -- \
  bash "$base/netns_run.sh" --camsim "$unpacked/usr/bin/kivo-camsim" -- \
  sh -c '"$1" --quit-after 8000 2>"$2/stderr.txt"; status=$?
         grep -c " /bacpac/se" "$KIVO_CAMSIM_LOG" >"$2/polls.txt"; exit $status' \
  sh "$unpacked/usr/bin/kivo" "$home" || fail "the unpacked kivo failed: $(cat "$home/stderr.txt")"
[ "$(find "$unpacked" | sort)" = "$before" ] || fail "kivo wrote beside itself"
[ -s "$home/config/kivo/Kivo.ini" ] || fail "no Kivo.ini in \$XDG_CONFIG_HOME/kivo/"
grep -q '^IPAddress=10.5.5.9' "$home/config/kivo/Kivo.ini" || fail "Kivo.ini holds no settings"
[ -d "$home/state/kivo" ] && [ -d "$home/cache/kivo" ] || fail "no XDG state or cache folder"
[ "$(cat "$home/polls.txt")" -ge 1 ] || fail "kivo never asked the simulated camera"
echo "test_package: unpacked kivo ran as uid $user against kivo-camsim, $(cat "$home/polls.txt")" \
  "status polls; settings in \$XDG_CONFIG_HOME/kivo/, nothing beside the program"
# Installed below /usr even as root, who may write there: still nothing beside the program.
rm -rf "$home" && mkdir -p "$home"
env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen \
  bash "$base/netns_run.sh" --camsim "$unpacked/usr/bin/kivo-camsim" -- \
  sh -c 'mount --bind "$1/usr/bin" /usr/local/bin && [ -w /usr/local/bin ] &&
         /usr/local/bin/kivo --quit-after 6000 2>"$2/stderr.txt"' sh "$unpacked" "$home" ||
  fail "kivo as root below /usr failed: $(cat "$home/stderr.txt" 2>/dev/null)"
[ "$(find "$unpacked" | sort)" = "$before" ] || fail "kivo as root wrote beside itself in /usr"
[ -s "$home/.config/kivo/Kivo.ini" ] || fail "kivo as root below /usr kept no ~/.config/kivo/Kivo.ini"
echo "test_package: as root below /usr, the settings went to ~/.config/kivo/ too"
echo "test_package: passed in $(( $(date +%s) - started )) s"
[ "$keep" -eq 1 ] && echo "test_package: work folder $base" || rm -rf "$base"
