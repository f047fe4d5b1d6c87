#!/usr/bin/env bash
# Set-up, build and run in one place. As root on a fresh Debian 12 machine:
#   ./build.sh run    installs what is missing, builds and starts Zelvane
#   ./build.sh test   installs what is missing, builds and runs every test
# Run again, it installs nothing new and builds incrementally.
#
# `test` runs two builds, each in its own folder (CMakePresets.json names them):
#   build       the program and its tests as shipped
#   build-asan  the same tests under AddressSanitizer and UndefinedBehaviorSanitizer (clang),
#               and every fuzz target once over its corpus in fuzz/corpus (a regression run)
# `test-shipped` and `test-asan` run one of them.
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=${ZELVANE_BUILD_DIR:-build}

# The picture decoders read whatever file the user opens: they are kept at Debian's current
# security updates. apt's package lists are refreshed for that at most once a day, unless
# packages were just installed (which refreshes them anyway).
DECODER_PACKAGES=(libpng16-16 libgif7 libjpeg62-turbo liblcms2-2 libexif12 libwebp7 libwebpdemux2
                  libheif1 libde265-0 libdav1d6 libaom3 libjxl0.7)
APT_REFRESHED=no

as_root() {
  if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}

install_missing() {
  local missing=()
  while read -r pkg; do
    [ -z "$pkg" ] && continue
    if [ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)" != "install ok installed" ]; then
      missing+=("$pkg")
    fi
  done < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' deps/debian-packages.txt)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    APT_REFRESHED=yes
    as_root env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  upgrade_decoders
}

upgrade_decoders() {
  local stamp="$BUILD_DIR/.decoder-updates-checked"
  if [ "$APT_REFRESHED" = no ] && [ -n "$(find "$stamp" -mmin -1440 2>/dev/null)" ]; then
    return 0
  fi
  if [ "$APT_REFRESHED" = no ] && ! as_root apt-get update -qq; then
    echo "Could not refresh the package lists; decoder security updates not checked." >&2
    return 0
  fi
  local upgrades
  upgrades=$(apt-get -s install --only-upgrade "${DECODER_PACKAGES[@]}" 2>/dev/null |
             awk '/^Inst /{print $2}')
  if [ -n "$upgrades" ]; then
    echo "Installing security updates: $upgrades"
    # shellcheck disable=SC2086
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --only-upgrade $upgrades
  fi
  mkdir -p "$BUILD_DIR"
  touch "$stamp"
}

# configure_and_build [TARGET]: everything, or only TARGET.
configure_and_build() {
  if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVANE_WERROR=ON
  fi
  cmake --build "$BUILD_DIR" ${1:+--target "$1"}
}

shipped_tests() {
  configure_and_build
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$BUILD_DIR" --output-on-failure -j 2
}

# The sanitizer build, configured from CMakePresets.json ("asan") with clang.
sanitizer_tests() {
  if [ ! -f build-asan/build.ninja ]; then
    cmake --preset asan
  fi
  cmake --build --preset asan
  QT_QPA_PLATFORM=offscreen ctest --preset asan
}

case "${1:-}" in
  run)
    # Said before anything is installed or built: without a display there is nothing to show.
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
      echo "No display to show the window on. Start it under a virtual X server instead:" >&2
      echo "  xvfb-run -a ./build.sh run" >&2
      exit 1
    fi
    install_missing
    configure_and_build zelvane
    exec "$BUILD_DIR/src/app/zelvane"
    ;;
  test)
    install_missing
    shipped_tests
    sanitizer_tests
    ;;
  test-shipped)
    install_missing
    shipped_tests
    ;;
  test-asan)
    install_missing
    sanitizer_tests
    ;;
  *)
    echo "usage: $0 run|test|test-shipped|test-asan" >&2
    exit 2
    ;;
esac
