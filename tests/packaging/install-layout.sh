#!/usr/bin/env bash
# What `cmake --install --strip` lays out under /usr, installed into a scratch root.
#   install-layout.sh <build folder> <source folder>
set -euo pipefail
BUILD=$1
SOURCE=$2
ID=org.example.zelvane
ROOT=$(mktemp -d "${TMPDIR:-/tmp}/zelvane-install.XXXXXX")
trap 'rm -rf "$ROOT"' EXIT

fail() { echo "install: $*" >&2; exit 1; }

DESTDIR="$ROOT" cmake --install "$BUILD" --prefix /usr --strip >/dev/null

# Exactly these files, nothing of the tests, benchmarks or libraries.
diff -u "$SOURCE/tests/packaging/installed-files.txt" <(cd "$ROOT" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) ||
  fail "the installed files differ from tests/packaging/installed-files.txt"

for Program in zelvane zelvane-batch; do
  [ -x "$ROOT/usr/bin/$Program" ] || fail "usr/bin/$Program is not executable"
  readelf -d "$ROOT/usr/bin/$Program" | grep -qE 'RPATH|RUNPATH' && fail "usr/bin/$Program carries a run-time search path"
  readelf -S "$ROOT/usr/bin/$Program" | grep -qE '\.(debug_|symtab)' && fail "usr/bin/$Program is not stripped"
done
# The batch program answers without a display.
QT_QPA_PLATFORM=no-such-platform "$ROOT/usr/bin/zelvane-batch" --version | grep -qx 'zelvane-batch [0-9.]*' ||
  fail "usr/bin/zelvane-batch --version does not answer"

# The HEIF/AVIF and JPEG XL decoders: a module the installed programs find beside them, without
# a search path; without it such a picture fails with the reason, and the program goes on.
Module="$ROOT/usr/lib/zelvane/zelvane-heif-jxl.so"
readelf -d "$Module" | grep -qE 'RPATH|RUNPATH' && fail "the decoder module carries a run-time search path"
readelf -S "$Module" | grep -qE '\.(debug_|symtab)' && fail "the decoder module is not stripped"
Pictures=("$SOURCE/tests/data/heif/libheif/colors-no-alpha.heic" "$SOURCE/tests/data/jxl/conformance/sunset_logo.jxl")
mkdir "$ROOT/out"
"$ROOT/usr/bin/zelvane-batch" -o "$ROOT/out" "${Pictures[@]}" ||
  fail "the installed zelvane-batch cannot make wallpapers of a HEIC and a JPEG XL picture"
[ -s "$ROOT/out/colors-no-alpha.jpg" ] && [ -s "$ROOT/out/sunset_logo.jpg" ] ||
  fail "the installed zelvane-batch wrote no wallpapers of a HEIC and a JPEG XL picture"
rm -r "$ROOT/out" "$Module"
mkdir "$ROOT/out"
Status=0
"$ROOT/usr/bin/zelvane-batch" -o "$ROOT/out" "${Pictures[0]}" 2>"$ROOT/errors.txt" || Status=$?
[ "$Status" -eq 1 ] || fail "without the decoder module zelvane-batch ended with $Status, not 1"
grep -q 'Cannot load the HEIF, AVIF and JPEG XL decoders\. .*zelvane-heif-jxl\.so' "$ROOT/errors.txt" ||
  fail "without the decoder module zelvane-batch does not say why: $(cat "$ROOT/errors.txt")"
rm -r "$ROOT/out" "$ROOT/errors.txt"

# Each icon is a PNG of its folder's size (width and height from the IHDR chunk).
for Size in 16 32 48 64 128 256; do
  Icon="$ROOT/usr/share/icons/hicolor/${Size}x${Size}/apps/$ID.png"
  [ "$(od -An -tx1 -N8 "$Icon" | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$Icon is no PNG"
  read -r W H < <(od -An -tu4 --endian=big -j16 -N8 "$Icon")
  [ "$W" -eq "$Size" ] && [ "$H" -eq "$Size" ] || fail "$Icon is ${W}x$H"
done

Desktop="$ROOT/usr/share/applications/$ID.desktop"
desktop-file-validate "$Desktop"
grep -qx "Icon=$ID" "$Desktop" || fail "the desktop entry does not name the icon $ID"
grep -qx "Exec=zelvane %f" "$Desktop" || fail "the desktop entry does not run zelvane on a file"
Metainfo="$ROOT/usr/share/metainfo/$ID.metainfo.xml"
# Offered under Open With for the picture formats; the metadata provides the same media types.
Types=$(sed -n 's/^MimeType=//p' "$Desktop" | tr ';' '\n' | sed '/^$/d' | LC_ALL=C sort)
for Type in image/jpeg image/png image/gif image/bmp image/vnd.microsoft.icon image/wmf image/emf \
  image/webp image/heic image/heif image/avif image/jxl; do
  grep -qx "$Type" <<<"$Types" || fail "the desktop entry does not offer $Type"
done
Provided=$(sed -n 's|.*<mediatype>\(.*\)</mediatype>.*|\1|p' "$Metainfo" | LC_ALL=C sort)
[ "$Types" = "$Provided" ] || fail "the metadata provides other media types than the desktop entry offers"
grep -q "<id>$ID</id>" "$Metainfo" || fail "the metadata's id is not $ID"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$Metainfo" ||
  fail "the metadata does not launch $ID.desktop"
grep -q '@' <(grep -v 'dev@' "$Metainfo") && fail "the metadata holds an unreplaced @VARIABLE@"
# The tree as a software centre reads it: metadata, desktop entry and icon together.
appstreamcli validate-tree --no-net "$ROOT/usr"

Doc="$ROOT/usr/share/doc/zelvane"
cmp "$Doc/LICENSE" "$SOURCE/LICENSE"
cmp "$Doc/README.md" "$SOURCE/README.md"
head -n 1 "$Doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright is not in Debian's machine-readable format"
grep -qx 'License: MIT' "$Doc/copyright" || fail "copyright names no MIT licence"
echo "install: passed"
