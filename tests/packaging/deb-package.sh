#!/usr/bin/env bash
# `cpack -G DEB` makes a package named zelvane whose Depends are Debian's library packages and
# that recommends Qt's Wayland platform, holding the installed files with a stripped program,
# and that dpkg would install here.
#   deb-package.sh <build folder> <source folder>
set -euo pipefail
BUILD=$1
SOURCE=$2
OUT=$(mktemp -d "${TMPDIR:-/tmp}/zelvane-deb.XXXXXX")
trap 'rm -rf "$OUT"' EXIT

fail() { echo "deb: $*" >&2; exit 1; }

cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$OUT" >"$OUT/cpack.log" 2>&1 ||
  { cat "$OUT/cpack.log" >&2; fail "cpack failed"; }
Debs=("$OUT"/*.deb)
[ ${#Debs[@]} -eq 1 ] && [ -f "${Debs[0]}" ] || fail "no single package was made"
Deb=${Debs[0]}
echo "deb: $(basename "$Deb")"

[ "$(dpkg-deb -f "$Deb" Package)" = "zelvane" ] || fail "the package is not named zelvane"
[ "$(dpkg-deb -f "$Deb" Maintainer)" = "Zelvane developers <dev@zelvane.invalid>" ] ||
  fail "wrong maintainer"
Depends=$(dpkg-deb -f "$Deb" Depends)
echo "deb: Depends: $Depends"
# The package names alone, one a line ("libgif7 (>= 5.1)" -> "libgif7").
Names=$(tr ',' '\n' <<<"$Depends" | awk '{ print $1 }')
# libheif1 and libjxl0.7 through the decoder module, which the programs load when needed.
for Library in libc6 libstdc++6 libjpeg62-turbo libpng16-16 libgif7 libqt6core6 libqt6gui6 libqt6widgets6 \
  libheif1 libjxl0.7; do
  grep -qxF "$Library" <<<"$Names" || fail "Depends lacks $Library"
done
grep -q -- '-dev$' <<<"$Names" && fail "Depends names a development package"
Recommends=$(dpkg-deb -f "$Deb" Recommends)
echo "deb: Recommends: $Recommends"
# Native on Wayland desktops, not through Xwayland.
tr ',' '\n' <<<"$Recommends" | awk '{ print $1 }' | grep -qxF qt6-wayland ||
  fail "Recommends lacks qt6-wayland"

# The same files as `cmake --install` lays out.
diff -u "$SOURCE/tests/packaging/installed-files.txt" \
  <(dpkg-deb -c "$Deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | LC_ALL=C sort) ||
  fail "the package's files differ from tests/packaging/installed-files.txt"

mkdir "$OUT/root"
dpkg-deb -x "$Deb" "$OUT/root"
for Program in bin/zelvane bin/zelvane-batch lib/zelvane/zelvane-heif-jxl.so; do
  readelf -S "$OUT/root/usr/$Program" | grep -q '\.debug_info' && fail "the packaged $Program is not stripped"
done

# Whether dpkg would install it on this machine, dependencies and all (root only: dpkg
# refuses to simulate for other users).
if [ "$(id -u)" -eq 0 ]; then
  dpkg --dry-run -i "$Deb" >/dev/null || fail "dpkg would not install the package"
fi
echo "deb: passed"
