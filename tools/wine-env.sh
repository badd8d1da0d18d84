# Sourced by the tools: the project's own Wine prefix, Japanese code page.
# KIVORA_WINEPREFIX may point elsewhere (each end-to-end test uses its own).
KIVORA_ROOT=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${KIVORA_WINEPREFIX:-$KIVORA_ROOT/build/wineprefix}"
export WINEDEBUG=-all
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
# Saving a shortcut would otherwise start Wine's menu builder.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
export WINEARCH=win64
