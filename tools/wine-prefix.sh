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

# A persistent server with its helper processes already up: each Windows
# process then starts in milliseconds, and the helpers do not hold on to the
# caller's output pipes. ("wineserver -p" fails when the prefix's server runs
# already; that one will do.)
wineserver -p 300 </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true
