# Sourced by run.sh and test.sh: makes sure the Debian packages the build needs are present.
# As root the missing ones are installed; otherwise the apt-get line is printed and we stop.
KIVO_PACKAGES="cmake ninja-build g++ pkgconf qt6-base-dev libgl-dev libgtest-dev libgmock-dev \
xvfb xauth iproute2 curl util-linux procps jq time librsvg2-bin"
# What the Debian package's build and checks need beyond that (scripts/test_package.sh).
KIVO_PACKAGE_TOOLS="debhelper dpkg-dev lintian desktop-file-utils appstream ccache"

kivo_missing_packages() {  # [PACKAGES...], default $KIVO_PACKAGES
  local missing=""
  for p in ${*:-$KIVO_PACKAGES}; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  echo "$missing"
}

kivo_ensure_packages() {  # [PACKAGES...], default $KIVO_PACKAGES
  local missing
  missing=$(kivo_missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing >/dev/null
  else
    echo "Missing Debian packages. Install them with:"
    echo "  sudo apt-get install -y$missing"
    exit 1
  fi
}

kivo_configure_and_build() {  # $1 build dir, rest: cmake options; $KIVO_TARGETS: what to build
  local dir=$1; shift
  # Where ccache is installed it keeps compiled objects between runs and between checkouts
  # (paths taken relative to the checkout), which saves most of a rebuild.
  if command -v ccache >/dev/null 2>&1 && [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ]; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$KIVO_ROOT" CCACHE_NOHASHDIR=1
  fi
  cmake -S "$KIVO_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  ninja -C "$dir" -j"$(nproc)" ${KIVO_TARGETS:-}
}
