#!/bin/sh
# Builds Kivora and starts it under Wine, in a Wine desktop with a taskbar and
# notification area; its files (data\, set.ini) live in build/run.
# Without a display (DISPLAY unset: a server, CI) it runs a short
# demonstration in a virtual display instead (tools/demo.py): it types a
# sentence, takes pictures of the five tabs and prints the counts, the
# history's line for today, an export, and a key map and a chart of the days
# drawn by the command line.
# Installs what is missing first.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

"$ROOT/tools/install-deps.sh"
# Configured once; ninja configures again by itself when a CMakeLists changes.
[ -f build/windows/build.ninja ] || cmake --preset windows >/dev/null

if [ -z "${DISPLAY:-}" ]; then
    cmake --build --preset windows --target Kivora kvdriver -j "$(nproc)"
    echo "No display: running the demonstration in a virtual one."
    . "$ROOT/tools/xvfb.sh"
    start_xvfb
    trap stop_xvfb EXIT
    status=0
    python3 "$ROOT/tools/demo.py" || status=$?
    exit $status
fi

cmake --build --preset windows --target Kivora -j "$(nproc)"
RUN="$ROOT/build/run"
mkdir -p "$RUN"
cp build/windows/Kivora.exe res/icon6.ico "$RUN/"

"$ROOT/tools/wine-prefix.sh"
. "$ROOT/tools/wine-env.sh"
# Kivora's paths hold at most 199 characters: drive K: names its folder, so
# that they stay short however deep the repository lies.
ln -sfn "$RUN" "$WINEPREFIX/dosdevices/k:"
cd "$RUN"
echo "Kivora runs in a Wine desktop; its data files are in $RUN/data"
# Only a desktop named "shell" gets Wine's taskbar and notification area.
exec wine explorer /desktop=shell,1024x720 Kivora.exe
