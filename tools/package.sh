#!/bin/sh
# Builds the release Kivora.exe and writes what a Windows user downloads, in
# build/dist:
# - Kivora-<version>-win64.zip: the program (static, stripped), its window
#   icon, the Japanese guide README-ja.txt, the licence, and SHA256SUMS of
#   those four, at the top of the zip (Explorer's "extract all" makes the
#   folder);
# - Kivora-<version>-setup.exe: the per-user installer of the same four files
#   (packaging/installer/kivora.nsi, built with makensis);
# - SHA256SUMS of the zip and the installer;
# - winget/manifests/...: the package manager's manifest, filled in from
#   packaging/winget/ with the version and the installer's SHA-256. Its
#   download address is $KIVORA_RELEASE_URL/Kivora-<version>-setup.exe.
# <version> is the one of res/version.h, as the About box shows it. Installs
# what is missing first. Prints the installer's path, then the zip's.
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
FILE_VERSION=$(printf '#include "res/version.h"\nKIVORA_FILE_VERSION_TEXT\n' | cpp -P -I "$ROOT" | tr -d '"[:space:]')
command -v makensis >/dev/null || { echo "package: makensis is missing (tools/install-deps.sh installs it)" >&2; exit 1; }

# Kivora's path limits as its headers define them, compiled and printed by
# the host's compiler: the installer refuses a folder too long for them.
LIMITS_DIR=$(mktemp -d)
trap 'rm -rf "$LIMITS_DIR"' EXIT
printf '#include <cstdio>\n#include "users/user_names.h"\nint main() { std::printf("%%zu %%zu", PathCapacity, NewUserNameCapacity); }\n' \
    >"$LIMITS_DIR/limits.cpp"
"${CXX:-c++}" -std=c++20 -I "$ROOT" "$LIMITS_DIR/limits.cpp" -o "$LIMITS_DIR/limits" ||
    { echo "package: cannot read Kivora's path limits from users/user_names.h" >&2; exit 1; }
LIMITS=$("$LIMITS_DIR/limits")
PATH_CAPACITY=${LIMITS% *}
NEW_USER_NAME_CAPACITY=${LIMITS#* }

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

SETUP="$OUT/Kivora-$VERSION-setup.exe"
# The program's size as Windows lists it (KiB, each file rounded up): the
# installer extracts its files in a function, which a section's size misses.
SIZE_KB=0
for f in $FILES; do SIZE_KB=$((SIZE_KB + ($(stat -c %s "$STAGE/$f") + 1023) / 1024)); done
rm -f "$SETUP"
makensis -V2 -NOCD "-DVERSION=$VERSION" "-DFILE_VERSION=$FILE_VERSION" "-DSTAGE=$STAGE" \
    "-DICON=$ROOT/res/kivora.ico" "-DOUTFILE=$SETUP" "-DPATH_CAPACITY=$PATH_CAPACITY" \
    "-DNEW_USER_NAME_CAPACITY=$NEW_USER_NAME_CAPACITY" "-DSIZE_KB=$SIZE_KB" "$ROOT/packaging/installer/kivora.nsi" >/dev/null
rm -rf "$STAGE"
(cd "$OUT" && sha256sum "$NAME.zip" "${SETUP##*/}" >SHA256SUMS)

# The manifest's three files, as the package manager's repository lays them out.
MANIFESTS="$OUT/winget/manifests/k/Kivora/Kivora/$VERSION"
rm -rf "$OUT/winget"
mkdir -p "$MANIFESTS"
SETUP_SHA256=$(sha256sum "$SETUP" | cut -d' ' -f1 | tr a-f A-F)
URL="${KIVORA_RELEASE_URL:-https://example.com/kivora/releases/$VERSION}/${SETUP##*/}"
for template in "$ROOT"/packaging/winget/*.yaml; do
    sed -e "s|@VERSION@|$VERSION|g" -e "s|@INSTALLER_SHA256@|$SETUP_SHA256|g" -e "s|@INSTALLER_URL@|$URL|g" \
        -e "/^# Template:/d" "$template" >"$MANIFESTS/${template##*/}"
done
echo "$SETUP"
echo "$ZIP"
