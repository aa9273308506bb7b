#!/usr/bin/env bash
# Cross-builds the parts without windows (core, run, platform, vorida-cli and the GoogleTest
# suites, GoogleTest itself from /usr/src/googletest) for 64-bit Windows with MinGW-w64, linked
# statically, in build-win/, and runs their tests under wine through ctest, the command-line
# cases included. Wine keeps its prefix in build-win/wine, never in ~/.wine. Called by test.sh
# (VORIDA_WINDOWS_TESTS=0 skips it).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${VORIDA_WINDOWS_BUILD_DIR:-build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
export WINEPREFIX="$build/wine" WINEDEBUG=-all

# The prefix is made before anything runs in it (the build runs the tool and the test
# discovery under wine, two at a time).
# Like every wine start here, without address-space randomization (see scripts/wine-run.sh).
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Tworzę prefiks wine w $WINEPREFIX"
    norandom=()
    setarch -R true 2>/dev/null && norandom=(setarch -R)
    "${norandom[@]}" wineboot --init >/dev/null 2>&1
    wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wineboot nie utworzył prefiksu $WINEPREFIX" >&2
        exit 1
    fi
fi

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVORIDA_GUI=OFF -DVORIDA_GTEST_SOURCE_DIR=/usr/src/googletest \
    -DCMAKE_EXE_LINKER_FLAGS=-static -DVORIDA_WERROR="${VORIDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure --no-tests=error -j"$(nproc)"
