#!/bin/sh
# Builds Kivora and starts it under Wine, in a Wine desktop with a taskbar and
# notification area. Its files (data\, set.ini) live in build/run.
# Installs what is missing first.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

"$ROOT/tools/install-deps.sh"
cmake --preset windows >/dev/null
cmake --build --preset windows --target Kivora -j "$(nproc)"

RUN="$ROOT/build/run"
mkdir -p "$RUN"
cp build/windows/Kivora.exe res/icon6.ico "$RUN/"

"$ROOT/tools/wine-prefix.sh"
. "$ROOT/tools/wine-env.sh"
cd "$RUN"
echo "Kivora runs in a Wine desktop; its data files are in $RUN/data"
exec wine explorer /desktop=Kivora,1024x720 Kivora.exe
