#!/bin/sh
# The benchmarks in one command: builds what they need (the native bench tree
# and a MinGW tree of their own), measures under an X display and a Wine prefix
# of their own, and prints one markdown table on stdout. Progress goes to
# stderr, build output to build/bench-run.log. Options go to bench/measure.py:
#   --quick   shorter runs, to try the harness out (figures not comparable)
#   --readme  also put the table into bench/README.md
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
BENCH_STARTED=$(date +%s)
export BENCH_STARTED
LOG="$ROOT/build/bench-run.log"
mkdir -p "$ROOT/build"

"$ROOT/tools/install-deps.sh" >&2

echo "bench: building (output in $LOG)" >&2
if ! {
    cmake --preset bench &&
    cmake --build --preset bench -j "$(nproc)" --target scan_bench callgrind_pass keeper_soak &&
    cmake -S "$ROOT" -B "$ROOT/build/bench-windows" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw.cmake" -DCMAKE_BUILD_TYPE=Release -DKIVORA_BENCH=ON &&
    cmake --build "$ROOT/build/bench-windows" -j "$(nproc)" --target \
        Kivora kvdriver bench_baseline bench_hook_counter bench_probe bench_save bench_map bench_chart bench_sync \
        bench_passes
} >"$LOG" 2>&1; then
    tail -n 30 "$LOG" >&2
    exit 1
fi
if grep -q "warning:" "$LOG"; then
    echo "bench: the build gave warnings (see $LOG)" >&2
fi

# Our own prefix and display: the other tools and tests keep theirs.
export KIVORA_WINEPREFIX="$ROOT/build/wineprefix-bench"
. "$ROOT/tools/xvfb.sh"
start_xvfb
trap 'stop_xvfb; (. "$ROOT/tools/wine-env.sh"; wineserver -k 2>/dev/null) || true' EXIT

status=0
python3 "$ROOT/bench/measure.py" "$@" || status=$?
echo "bench: $(($(date +%s) - BENCH_STARTED)) s in all" >&2
exit $status
