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
norandom=()
setarch -R true 2>/dev/null && norandom=(setarch -R)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Tworzę prefiks wine w $WINEPREFIX"
    "${norandom[@]}" wineboot --init >/dev/null 2>&1
    wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wineboot nie utworzył prefiksu $WINEPREFIX" >&2
        exit 1
    fi
fi

# One wine server for the whole stage. Started by a program, wine's server here runs with no
# persistence (wineserver -p0) and ends the moment its last client does; a program that starts
# in that moment connects to a server that is going away: "wine client error:0: recvmsg:
# Connection reset by peer", status 1 after a few milliseconds, nothing run (two command-line
# cases of one CI run, each between two commands of its own). Kept alive until the stage ends,
# the server never goes away under a test. Its system processes (services.exe and the rest) then
# live as long as it does, so they are started here, on /dev/null: started by a test, they would
# keep that test's output pipe open and the test would never end.
wineserver -k 2>/dev/null || true # none left from an earlier stage that was stopped
wineserver -w
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
"${norandom[@]}" wineboot </dev/null >/dev/null 2>&1

cmake --preset windows -B "$build" -DVORIDA_WERROR="${VORIDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure --no-tests=error -j"$(nproc)"
