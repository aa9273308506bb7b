#!/usr/bin/env bash
# Speed of the "Kontrola obszaru" window (bench/obszar_bench.cpp), offscreen: opening an area
# of ADJUST points (default 2000) with its table and picture, a zoom and a pan step of the
# picture at that size, the tick that leaves a point out at TICK points (default 2000) until
# shown and until the window answers, and at PROGRESS points (default 20000) the time until the
# progress bar shows points done, and the cancel.
# Builds in Release in its own build directory. Targets: open < 2 s, zoom and pan < 50 ms,
# the window answers a tick < 0.3 s, progress shown < 0.2 s (docs/area-window.md).
#
# Environment: ADJUST, TICK, PROGRESS, RUNS (5), BENCH_BUILD_DIR (build-bench-obszar).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure-packages.sh
vorida_ensure_packages libbenchmark-dev

build=${BENCH_BUILD_DIR:-build-bench-obszar}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORIDA_BENCH=ON -DVORIDA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target vorida_obszar_bench vorida-cli >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in "${ADJUST:-2000}" "${TICK:-2000}" "${PROGRESS:-20000}"; do
    [ -e "$work/area$n.bin" ] && continue
    python3 bench/generate.py adjustment "$n" -o "$work/area$n.txt"
    "$build/bin/vorida-cli" pack "$work/area$n.txt" -o "$work/area$n.bin"
done
echo "$(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
"$build/bin/vorida_obszar_bench" "$work/area${ADJUST:-2000}.bin" "${RUNS:-5}" open,zoom,pan
"$build/bin/vorida_obszar_bench" "$work/area${TICK:-2000}.bin" "${RUNS:-5}" tick
"$build/bin/vorida_obszar_bench" "$work/area${PROGRESS:-20000}.bin" "${RUNS:-5}" progress
