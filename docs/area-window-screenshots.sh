#!/usr/bin/env bash
# The screenshots of docs/area-window.md and the manual: the window "Kontrola obszaru" on the
# sample area with two blunders put in (10 cm at 1013, 50 cm at 1019) and its check points
# (area-window.png), the same after the keyboard has walked the table down to 1013, whose row
# centres and zooms the picture on it (area-window-zoom.png), and the main window's right-click
# menu on the area panel (area-menu.png). Under openbox in a virtual X server.
#   docs/area-window-screenshots.sh [BUILD_DIR (build)]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$(realpath docs)
examples=$(realpath examples)

if [ -z "${VORIDA_IN_XVFB:-}" ]; then
    . scripts/ensure-packages.sh
    vorida_ensure_packages openbox x11-utils xdotool imagemagick
    exec env VORIDA_IN_XVFB=1 xvfb-run -a -s "-screen 0 1320x860x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$build/bin/vorida" "$build/bin/vorida-obszar" "$build/bin/vorida-cli" "$work/"
awk -F'\t' -v OFS='\t' '$1 == "1013" { $4 = sprintf("%.3f", $4 + 0.1) }
    $1 == "1019" { $5 = sprintf("%.3f", $5 + 0.5) } { print }' \
    "$examples/TRANSPKT.txt" >"$work/bad.txt"
"$work/vorida-cli" pack "$work/bad.txt" -o "$work/TRANSPKT.BIN" >/dev/null
cp "$examples/check-points.txt" "$work/kontrolne.txt"
cd "$work"

openbox --sm-disable >/dev/null 2>&1 &
sleep 1.5
./vorida-obszar TRANSPKT.BIN kontrolne.txt >/dev/null 2>&1 &
win=$(xdotool search --sync --name "^Kontrola obszaru" | head -1)
xdotool windowsize "$win" 1300 800
xdotool windowmove "$win" 4 26
sleep 2
frame() { # FILE: the window with its frame
    import -window root -crop 1320x860+0+0 +repage "$work/shot.png"
    convert "$work/shot.png" -trim +repage -define png:exclude-chunks=date,time "$out/$1"
}
frame area-window.png
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
xdotool key --clearmodifiers Tab Tab Tab Tab Tab
for _ in $(seq 12); do xdotool key --clearmodifiers Down; done
sleep 1
frame area-window-zoom.png
xdotool key --clearmodifiers Escape
sleep 1

cp "$build/bin/TRANSPKT.BIN" "$work/"
./vorida >/dev/null 2>&1 &
main=$(xdotool search --sync --name "^Transformacja" | head -1)
xdotool windowmove "$main" 20 20
sleep 2
xdotool mousemove --window "$main" 300 60 click 3
sleep 1
import -window root -crop 760x480+0+0 +repage "$work/shot.png"
convert "$work/shot.png" -trim +repage -define png:exclude-chunks=date,time "$out/area-menu.png"
echo "docs: area-window.png, area-window-zoom.png, area-menu.png"
