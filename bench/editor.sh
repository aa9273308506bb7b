#!/usr/bin/env bash
# Speed of the editor on big point files (bench/editor_bench.cpp), in an offscreen window:
# "Otwórz" and Ctrl+V with tab expansion (open, paste), the trimming after big pastes and their
# undo and redo (trim), a keystroke at the end of a big text (key), F3 (find), and alone
# (CASES=replace) "Zamień wszystko" with its undo, redo and peak memory. Builds in
# Release in its own build directory. Figures and targets: docs/editor-performance.md.
#
# Environment: SIZE_MB (default 10), RUNS (5), CASES (open,paste,trim,key,find),
# BENCH_BUILD_DIR (build-bench-editor).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure-packages.sh
vorida_ensure_packages libbenchmark-dev

build=${BENCH_BUILD_DIR:-build-bench-editor}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORIDA_BENCH=ON -DVORIDA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target vorida_editor_bench >/dev/null
"$build/bin/vorida_editor_bench" "${SIZE_MB:-10}" "${RUNS:-5}" "${CASES:-open,paste,trim,key}"
