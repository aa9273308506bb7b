#!/usr/bin/env bash
# Builds everything and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
vorida_ensure_packages
vorida_ensure_polish_locale

build=${VORIDA_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure --no-tests=error -j"$(nproc)"
