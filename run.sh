#!/usr/bin/env bash
# Builds Vorida and runs it on the bundled sample area: the main window when there is a
# display and the window has been built, otherwise the same conversion through vorida-cli.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
vorida_ensure_packages

build=${VORIDA_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
bin="$build/bin"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$bin/vorida" ]; then
    exec "$bin/vorida"
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vorida-sample.XXXXXX")
cp "$bin/TRANSPKT.BIN" "$bin/xy_LOK" "$bin/xy2000" "$scratch/"
echo "Przeliczenie przykładowego obszaru w $scratch (bez okna):"
echo
"$bin/vorida-cli" convert --dir "$scratch"
show() { # the program's files are Windows-1250 with CR LF
    echo
    echo "===== $1 ====="
    iconv -f WINDOWS-1250 -t UTF-8 "$scratch/$1" | tr -d '\r'
}
show xy2000.1
show Raport.txt
