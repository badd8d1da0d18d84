#!/bin/sh
# Builds the release Kivora.exe and writes build/dist/Kivora-<version>-win64.zip,
# what a Windows user downloads: the program (static, stripped), its window
# icon, the Japanese guide README-ja.txt, the licence, and SHA256SUMS of those
# four. <version> is the one of res/version.h, as the About box shows it.
# The files lie at the top of the zip: Explorer's "extract all" makes the
# folder. Installs what is missing first.
#
#   tools/package.sh                           build (preset "release"), package
#   tools/package.sh --exe FILE [--out DIR]    package an executable built already
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)

EXE=""
OUT="$ROOT/build/dist"
while [ $# -gt 0 ]; do
    case "$1" in
    --exe) EXE=$2; shift 2 ;;
    --out) OUT=$2; shift 2 ;;
    *) echo "usage: tools/package.sh [--exe Kivora.exe] [--out folder]" >&2; exit 2 ;;
    esac
done

if [ -z "$EXE" ]; then
    "$ROOT/tools/install-deps.sh"
    (cd "$ROOT" && cmake --preset release >/dev/null && cmake --build --preset release --target Kivora -j "$(nproc)")
    EXE="$ROOT/build/release/Kivora.exe"
fi

# The version through the preprocessor, so that it is read as the resources read it.
VERSION=$(printf '#include "res/version.h"\nKIVORA_VERSION_TEXT\n' | cpp -P -I "$ROOT" | tr -d '"[:space:]')
case "$VERSION" in
[0-9]*.[0-9]*) ;;
*) echo "package: no version in res/version.h (got '$VERSION')" >&2; exit 1 ;;
esac

mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
NAME="Kivora-$VERSION-win64"
STAGE="$OUT/$NAME"
ZIP="$OUT/$NAME.zip"
rm -rf "$STAGE" "$ZIP"
mkdir -p "$STAGE"

cp "$EXE" "$STAGE/Kivora.exe"
cp "$ROOT/res/icon6.ico" "$STAGE/icon6.ico"
# Text files with CRLF line ends, which every Notepad shows; the guide also
# with a byte-order mark, so that Notepad takes it for UTF-8 and not for
# code page 932 on Windows before 10.
crlf() { sed 's/\r$//; s/$/\r/' "$1"; }
{ printf '\357\273\277'; crlf "$ROOT/docs/README-ja.txt" | sed '1s/^\xEF\xBB\xBF//'; } >"$STAGE/README-ja.txt"
crlf "$ROOT/LICENSE" >"$STAGE/LICENSE"
FILES="Kivora.exe icon6.ico README-ja.txt LICENSE"
(cd "$STAGE" && sha256sum $FILES >SHA256SUMS)

# Python's zipfile (deflate) rather than one more package to install.
(cd "$STAGE" && python3 -m zipfile -c "$ZIP" $FILES SHA256SUMS)
rm -rf "$STAGE"
echo "$ZIP"
