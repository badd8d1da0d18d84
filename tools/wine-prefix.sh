#!/bin/sh
# Makes the project's Wine prefix if it is missing, and starts its Wine
# server. Idempotent. The prefix gets:
# - font replacements that give the dialogs metrics close to the Japanese
#   Windows fonts;
# - unmanaged top-level windows: under Xvfb there is no window manager, and
#   Wine would wait 2 s for one each time a window is hidden. (Kivora itself
#   runs in a virtual desktop, which this does not touch.)
# - with KIVORA_WINE_DPI set (144 is 150 %), that display resolution, as the
#   display settings of Windows give it.
set -eu
. "$(dirname "$0")/wine-env.sh"

if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.kivora-prefix-2" ]; then
    # A server left running (persistent, from an earlier start) would never
    # exit below: stop it first. The one that the set-up starts ends once the
    # set-up's programs have, and saves the registry (system.reg) as it goes.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    reg=$(mktemp --suffix=.reg)
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MSゴシック"="IPAGothic"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
        # Wine 8 reads the resolution here first, as Windows does.
        [ -z "${KIVORA_WINE_DPI:-}" ] ||
            printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' "$KIVORA_WINE_DPI"
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\377\376'; cat; } >"$reg"
    wine regedit "$reg" </dev/null >/dev/null 2>&1
    rm -f "$reg"
    wineserver -w </dev/null >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.kivora-prefix-2"
fi

# Wine draws the caption buttons with its Marlett font, which Debian ships in
# fonts-wine; that package as a whole replaces other fonts for the worse, so
# only Marlett is taken from it, into this prefix. Without it the buttons
# show as letters ("0 1 r"), which is all that is lost when it cannot be had.
FONTS="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d "$FONTS" ] && [ ! -f "$FONTS/marlett.ttf" ]; then
    cache="$KIVORA_ROOT/build/cache"
    mkdir -p "$cache"
    deb=$(ls "$cache"/fonts-wine_*_all.deb 2>/dev/null | head -n 1 || true)
    if [ -z "$deb" ]; then
        (cd "$cache" && apt-get download fonts-wine </dev/null >/dev/null 2>&1) || true
        deb=$(ls "$cache"/fonts-wine_*_all.deb 2>/dev/null | head -n 1 || true)
    fi
    if [ -n "$deb" ] &&
        dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/wine/fonts/marlett.ttf >"$FONTS/marlett.ttf.part"; then
        mv "$FONTS/marlett.ttf.part" "$FONTS/marlett.ttf"
    else
        rm -f "$FONTS/marlett.ttf.part"
        echo "wine-prefix: Wine's Marlett font could not be had; caption buttons show as letters" >&2
    fi
fi

# A persistent server with its helper processes already up: each Windows
# process then starts in milliseconds, and the helpers do not hold on to the
# caller's output pipes. ("wineserver -p" fails when the prefix's server runs
# already; that one will do.)
wineserver -p 300 </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true
