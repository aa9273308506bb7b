#!/usr/bin/env bash
# Builds everything and runs every test through ctest; then the tests without the windows
# cross-built for Windows and run under wine (scripts/windows-tests.sh, build-win/;
# VORIDA_WINDOWS_TESTS=0 skips them), again under AddressSanitizer and
# UndefinedBehaviorSanitizer (scripts/sanitize-tests.sh, build-asan/; VORIDA_SANITIZE_TESTS=0
# skips them), each fuzz target for VORIDA_FUZZ_SECONDS seconds (default 30; 0 skips them;
# fuzz/run.sh, build-fuzz/), and the run's tests under ThreadSanitizer, whose blocks go through
# worker threads (scripts/tsan-tests.sh, build-tsan/; VORIDA_TSAN_TESTS=0 skips them).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
. scripts/ensure-packages.sh
if [ "${VORIDA_WINDOWS_TESTS:-1}" != 0 ]; then
    vorida_ensure_packages "${vorida_windows_packages[@]}"
else
    vorida_ensure_packages
fi
vorida_ensure_polish_locale

build=${VORIDA_BUILD_DIR:-build}
# VORIDA_WERROR=ON (CI sets it) makes every warning an error.
# The configuration is the preset "release" of CMakePresets.json, as each stage's is its own.
cmake --preset release -B "$build" -DVORIDA_WERROR="${VORIDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
# A test that fails is run once more before it counts as failed: the window tests meet a real X
# server and window manager, whose timing on a loaded machine is not ours; a fault fails twice.
ctest --output-on-failure --no-tests=error -j"$(nproc)" --repeat until-pass:2

if [ "${VORIDA_WINDOWS_TESTS:-1}" != 0 ]; then
    "$root/scripts/windows-tests.sh"
fi
if [ "${VORIDA_SANITIZE_TESTS:-1}" != 0 ]; then
    "$root/scripts/sanitize-tests.sh"
fi
if [ "${VORIDA_FUZZ_SECONDS:-30}" != 0 ]; then
    "$root/fuzz/run.sh" "${VORIDA_FUZZ_SECONDS:-30}"
fi
if [ "${VORIDA_TSAN_TESTS:-1}" != 0 ]; then
    "$root/scripts/tsan-tests.sh"
fi
