#!/usr/bin/env bash
# Speed of the "Kontrola obszaru" window (bench/obszar_bench.cpp), offscreen: opening an area
# of ADJUST points (default 2000) with its table and picture, a zoom and a pan step of the
# picture at that size, and the tick that leaves a point out at TICK points (default 300).
# Builds in Release in its own build directory. Targets: open < 2 s, zoom and pan < 50 ms,
# tick < 0.3 s (docs/area-window.md).
#
# Environment: ADJUST, TICK, RUNS (5), BENCH_BUILD_DIR (build-bench-obszar).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure-packages.sh
vorida_ensure_packages libbenchmark-dev

build=${BENCH_BUILD_DIR:-build-bench-obszar}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORIDA_BENCH=ON -DVORIDA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target vorida_obszar_bench vorida-cli >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in "${ADJUST:-2000}" "${TICK:-300}"; do
    python3 bench/generate.py adjustment "$n" -o "$work/area$n.txt"
    "$build/bin/vorida-cli" pack "$work/area$n.txt" -o "$work/area$n.bin"
done
echo "$(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
"$build/bin/vorida_obszar_bench" "$work/area${ADJUST:-2000}.bin" "${RUNS:-5}" open,zoom,pan
"$build/bin/vorida_obszar_bench" "$work/area${TICK:-300}.bin" "${RUNS:-5}" tick
