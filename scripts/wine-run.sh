#!/usr/bin/env bash
# Runs a Windows program under wine for the cross build: the emulator of
# cmake/toolchain-mingw-w64.cmake, so every build step, test discovery and test that starts a
# program goes through here. WINEPREFIX and WINEDEBUG come from the caller.
#
#   wine-run.sh PROGRAM.exe [ARGUMENT...]
#
# Address-space randomization is turned off for wine (setarch -R) where the system allows it.
# Debian's wine has no preloader to reserve the fixed addresses of the Windows memory layout
# before anything else is mapped, so now and then a randomly placed mapping takes one, and wine
# gives up before the program starts: status 1, no output, and with WINEDEBUG's err class on,
# "err:virtual:virtual_alloc_first_teb wine: failed to map the shared user data: c0000018".
# That was the wine stage's rare failure, in any test (5 in about 10,000 tests on the loaded
# 2-core machine; none in about 7,000 since); without randomization the layout is the same on
# every start.
#
# A program that fails gets one line more on standard error: its status, its time and the
# command, so that a failure that printed nothing still says what happened.
set -u
norandom=()
if setarch -R true 2>/dev/null; then
    norandom=(setarch -R)
fi
started=$(date +%s%N)
"${norandom[@]}" wine "$@"
status=$?
if [ $status -ne 0 ]; then
    elapsed=$((($(date +%s%N) - started) / 1000000))
    printf 'wine-run: status %d after %d.%03d s: wine %s\n' $status $((elapsed / 1000)) \
        $((elapsed % 1000)) "$*" >&2
fi
exit $status
