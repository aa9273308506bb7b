#!/usr/bin/env bash
# Builds the tests without the windows under ThreadSanitizer (VORIDA_SANITIZE_THREAD) in
# build-tsan/ and runs the tests of the run, whose blocks go through worker threads: the golden
# runs, the bad point files, the threaded-run cases and the run's own tests, with 1, 2 and 4
# workers, and two runs interleaved in one process. The first data race or lock-order report fails. Called by test.sh
# (VORIDA_TSAN_TESTS=0 skips it).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${VORIDA_TSAN_BUILD_DIR:-build-tsan}
cmake --preset tsan -B "$build" >/dev/null
cmake --build "$build" -j"${VORIDA_JOBS:-$(nproc)}" --target vorida_run_tests vorida-cli
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
"$build/tests/vorida_run_tests" \
    --gtest_filter='Golden/*:Workers/*:ThreadedRun.*:TransformFileTest.*:ReentrantRun.*'
