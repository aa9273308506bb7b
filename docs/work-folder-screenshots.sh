#!/usr/bin/env bash
# The screenshot of README's "Several areas": the main window started on a work folder
# (`vorida FOLDER`), the folder under the area panel and the panel's right-click menu with the
# recent folders (work-folder.png); and the folder dialog of "Wybierz folder roboczy…"
# (work-folder-dialog.png). Under openbox in a virtual X server; the recent folders live in a
# scratch settings folder, never the user's.
#   docs/work-folder-screenshots.sh [BUILD_DIR (build)]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$(realpath docs)

if [ -z "${VORIDA_IN_XVFB:-}" ]; then
    . scripts/ensure-packages.sh
    vorida_ensure_packages openbox x11-utils xdotool imagemagick
    exec env VORIDA_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
areas=$work/Obręby
for area in "Żnin – Śródmieście" "Gąsawa 'Nowa Wieś'" "Janowiec \"Północ\""; do
    mkdir -p "$areas/$area"
    cp "$build/bin/TRANSPKT.BIN" "$build/bin/xy_LOK" "$areas/$area/"
done
mkdir -p "$XDG_CONFIG_HOME/Vorida"
# Two folders worked on before (QSettings' list in its INI form).
printf '[General]\nOstatnieFoldery=%s, %s\n' "\"$areas/Gąsawa 'Nowa Wieś'\"" \
    "\"$areas/Janowiec \\\"Północ\\\"\"" >"$XDG_CONFIG_HOME/Vorida/Vorida.ini"

openbox --sm-disable >/dev/null 2>&1 &
sleep 1.5
"$build/bin/vorida" "$areas/Żnin – Śródmieście" >/dev/null 2>&1 &
main=$(xdotool search --sync --name "^Transformacja" | head -1)
xdotool windowmove "$main" 20 20
sleep 2
xdotool mousemove --window "$main" 300 60 click 3
sleep 1
import -window root -crop 1000x520+0+0 +repage "$work/shot.png"
convert "$work/shot.png" -trim +repage -define png:exclude-chunks=date,time "$out/work-folder.png"
# "Wybierz folder roboczy…", the third line of the menu
xdotool key --clearmodifiers Down Down Return
dialog=$(xdotool search --sync --name "^Wybierz folder roboczy" | head -1)
sleep 1.5
import -window root "$work/shot.png"
convert "$work/shot.png" -trim +repage -define png:exclude-chunks=date,time \
    "$out/work-folder-dialog.png"
xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
xdotool key --clearmodifiers Escape
echo "docs: work-folder.png, work-folder-dialog.png"
