#!/usr/bin/env bash
# Builds the tests without the windows under AddressSanitizer and UndefinedBehaviorSanitizer
# (VORIDA_SANITIZE) in build-asan/ and runs them through ctest. The first report of either
# sanitizer, or a leak at exit, fails the test that showed it. Called by test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${VORIDA_ASAN_BUILD_DIR:-build-asan}
cmake --preset sanitize -B "$build" -DVORIDA_WERROR="${VORIDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --output-on-failure --no-tests=error -j"$(nproc)"
