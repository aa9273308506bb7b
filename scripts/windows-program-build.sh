#!/usr/bin/env bash
# Builds the windowed programs for Windows (vorida.exe: main window, editor and all they link;
# vorida-obszar.exe: the area window)
# with MinGW-w64 against the Qt and QScintilla of the Windows package's cache, every warning an
# error, in build-win-gui/. The cache (~/.cache/vorida-win64, VORIDA_WIN_CACHE) is made by
# scripts/windows-deps.sh in about 25 minutes; this script never builds it: without it, it says
# in the log that the stage was skipped, and why, and succeeds. Called by .ci/run, so that code
# compiled only for Windows (where long is 32 bits, say) keeps to the warnings policy too.
set -euo pipefail
cd "$(dirname "$0")/.."

cache=${VORIDA_WIN_CACHE:-$HOME/.cache/vorida-win64}
qt=$cache/qt6
qsci=$cache/qscintilla
if [ ! -f "$qt/.vorida-stamp" ] || [ ! -f "$qsci/.vorida-stamp" ]; then
    echo "=== STAGE SKIPPED: vorida.exe for Windows was not built: no Qt and QScintilla for" \
        "Windows in $cache (scripts/windows-deps.sh makes them, about 25 minutes) ==="
    exit 0
fi

. scripts/ensure-packages.sh
vorida_ensure_only cmake make qt6-base-dev-tools qt6-l10n-tools g++-mingw-w64-x86-64-posix \
    binutils-mingw-w64-x86-64 \
    wine wine64

build=${VORIDA_WINDOWS_GUI_BUILD_DIR:-build-win-gui}
mkdir -p "$build"
build=$(cd "$build" && pwd)
# Nothing runs under wine for this target, but the toolchain names a prefix: keep it here.
export WINEPREFIX="$build/wine" WINEDEBUG=-all
cmake --preset windows-program -B "$build" -DCMAKE_FIND_ROOT_PATH="$qt;$qsci" \
    -DCMAKE_PREFIX_PATH="$qt;$qsci" >/dev/null
cmake --build "$build" -j"${VORIDA_JOBS:-$(nproc)}" --target vorida vorida-obszar
echo "vorida.exe, vorida-obszar.exe: built without a warning in $build"
