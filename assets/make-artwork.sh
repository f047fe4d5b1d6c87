#!/bin/sh
# Repaints Zelvane's built-in artwork (device photograph, default wallpaper, banner, button
# glyphs, application icon) from make-artwork/artwork.ini and writes it into this folder.
#
#   assets/make-artwork.sh [build directory]
#
# The build directory defaults to build-artwork in the repository (this folder's parent); it
# is configured when it has no CMake cache yet. Needs the fonts named in artwork.ini (URW
# Gothic and P052, Debian package fonts-urw-base35).
set -eu
Here=$(cd "$(dirname "$0")" && pwd)
Source=$(dirname "$Here")
Build=${1:-$Source/build-artwork}
if [ ! -f "$Build/CMakeCache.txt" ]; then
  cmake -S "$Source" -B "$Build" -G Ninja
fi
cmake --build "$Build" --target zelvane_artwork -j 2
