#!/usr/bin/env bash
# Speed of the editor's tab expansion: "Otwórz" of a point file with a tab on every line, and
# Ctrl+V of a line with a tab into a big text (bench/editor_bench.cpp), in an offscreen window.
# Builds in Release in its own build directory.
#
# Environment: SIZE_MB (default 10), RUNS (5), BENCH_BUILD_DIR (build-bench-editor).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure-packages.sh
vorida_ensure_packages libbenchmark-dev

build=${BENCH_BUILD_DIR:-build-bench-editor}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORIDA_BENCH=ON -DVORIDA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target vorida_editor_bench >/dev/null
"$build/bin/vorida_editor_bench" "${SIZE_MB:-10}" "${RUNS:-5}"
