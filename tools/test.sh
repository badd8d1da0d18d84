#!/bin/sh
# Runs every test: the portable core natively (plain, ASan+UBSan with a short
# fuzzing run, TSan stress), then the Windows tests and the end-to-end tests
# under Wine in a virtual X display. Installs what is missing first.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
JOBS=$(nproc)

"$ROOT/tools/install-deps.sh"

step() { printf '\n=== %s (%s)\n' "$*" "$(date +%T)"; }

for preset in host host-asan host-tsan fuzz windows; do
    step "build $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$JOBS"
done

step "host tests"
ctest --preset host -j "$JOBS"
step "host tests under AddressSanitizer and UBSan"
ctest --preset host-asan -j "$JOBS"
step "concurrency stress under ThreadSanitizer"
ctest --preset host-tsan
step "fuzzing the data file decoder and the history reader, and the long run of the keeper's simulation"
ctest --preset fuzz -j "$JOBS"

step "Windows tests under Wine"
. "$ROOT/tools/xvfb.sh"
start_xvfb
# The end-to-end tests have prefixes of their own, which ctest prepares.
E2E_PREFIX="$ROOT/build/wineprefix-e2e"
RELEASE_PREFIX="$ROOT/build/wineprefix-release"
trap 'stop_xvfb; (. "$ROOT/tools/wine-env.sh"; wineserver -k 2>/dev/null) || true
      (KIVORA_WINEPREFIX="$E2E_PREFIX"; . "$ROOT/tools/wine-env.sh"; wineserver -k 2>/dev/null) || true
      (KIVORA_WINEPREFIX="$RELEASE_PREFIX"; . "$ROOT/tools/wine-env.sh"; wineserver -k 2>/dev/null) || true' EXIT
"$ROOT/tools/wine-prefix.sh"
# A long-lived window keeps Wine's default desktop up between the test
# processes; otherwise each one starts it anew and ctest waits about a second
# for it to let go of the output pipe.
"$ROOT/tools/wine-run" notepad </dev/null >/dev/null 2>&1 &
# Once its window is there, so is the desktop: a test process that came
# first would start the desktop itself, and that would hold ctest's output
# pipe until its time-out.
i=0
while ! xdotool search --name "メモ帳" >/dev/null 2>&1 && [ $i -lt 100 ]; do i=$((i + 1)); sleep 0.2; done
ctest --preset windows --timeout 600
