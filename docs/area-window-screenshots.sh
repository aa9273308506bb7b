#!/usr/bin/env bash
# The screenshots of docs/area-window.md and the manual: the window "Kontrola obszaru" on the
# sample area with two blunders put in (10 cm at 1013, 50 cm at 1019) and its check points, on
# its final round (area-window.png); the map zoomed in with its legend and scale bars
# (area-window-map.png); the same after the keyboard has walked the table down to 1013, whose
# row centres and zooms the picture on it (area-window-zoom.png); the print preview
# (area-window-preview.png); the table saved as CSV and opened in a spreadsheet, when one is
# installed (area-window-csv.png); and the main window's right-click menu on the area panel
# (area-menu.png). Under openbox in a virtual X server of 1280x1024.
#   docs/area-window-screenshots.sh [BUILD_DIR (build)]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$(realpath docs)
examples=$(realpath examples)

if [ -z "${VORIDA_IN_XVFB:-}" ]; then
    . scripts/ensure-packages.sh
    vorida_ensure_packages openbox x11-utils xdotool imagemagick
    exec env VORIDA_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
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
sleep 3
frame() { # FILE [GEOMETRY]: the screen (or a part of it), trimmed
    import -window root -crop "${2:-1280x1024+0+0}" +repage "$work/shot.png"
    convert "$work/shot.png" -trim +repage -define png:exclude-chunks=date,time "$out/$1"
}
key() { xdotool key --clearmodifiers "$@"; sleep 1; }
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
frame area-window.png 1280x800+0+0
# The map: zoomed in on the middle, the arrows as long as before, the screen's scale.
key plus plus
frame area-window-map.png 480x690+800+65
key Home
key Tab Tab Tab Tab Tab Tab Tab Tab
for _ in $(seq 12); do xdotool key --clearmodifiers Down; done
sleep 1
frame area-window-zoom.png 1280x800+0+0
# The print preview ("Podgląd wydruku…").
key alt+p u
sleep 2
frame area-window-preview.png
key Escape
# The table as CSV (UTF-8, commas, decimal points), in a spreadsheet when there is one.
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
key alt+p t u
sleep 1
key Return
if command -v gnumeric >/dev/null && [ -f "Punkty dostosowania.csv" ]; then
    gnumeric "Punkty dostosowania.csv" >/dev/null 2>&1 &
    spreadsheet=$!
    sheet=$(xdotool search --sync --name "Punkty dostosowania" | head -1)
    xdotool windowsize "$sheet" 1270 700
    xdotool windowmove "$sheet" 0 0
    sleep 3
    frame area-window-csv.png 1280x720+0+0
    kill "$spreadsheet" 2>/dev/null || true
fi
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
key Escape
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
echo "docs: area-window.png, area-window-map.png, area-window-zoom.png," \
    "area-window-preview.png, area-window-csv.png, area-menu.png"
