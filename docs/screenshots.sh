#!/usr/bin/env bash
# Looks at the windows under a real window manager: openbox in a virtual X server (xvfb-run).
# Opens an editor window from the main window, prints what the window manager sees of their
# relation (WM_TRANSIENT_FOR, window type, the state after minimizing the main window), and
# takes the screenshots of docs/: the editor in front of the raised main window, its search
# dialog, the close question, the open dialog, editors opened one after another (cascaded) and
# the question of an editor with unsaved text whose file another program changes.
#   docs/screenshots.sh [BUILD_DIR (build)]
# Installs what it needs: openbox, x11-utils (xprop), xdotool and imagemagick (import).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$(realpath docs)

if [ -z "${VORIDA_IN_XVFB:-}" ]; then
    . scripts/ensure-packages.sh
    vorida_ensure_packages openbox x11-utils xdotool imagemagick
    exec env VORIDA_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x640x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$build/bin/vorida" "$build/bin/TRANSPKT.BIN" "$build/bin/xy_LOK" "$work/"
cd "$work"

openbox --sm-disable >/dev/null 2>&1 &
sleep 1.5
./vorida >/dev/null 2>&1 &
sleep 2.5
main=$(xdotool search --sync --name "^Transformacja" | head -1)
xdotool windowmove "$main" 40 30
sleep 0.5

shot() { # FILE X Y W H: a part of the screen
    import -window root -crop "$4x$5+$2+$3" +repage "$out/$1"
}
state() { xprop -id "$1" WM_STATE | sed -n 's/.*window state: //p'; }

# PrzyciskLok1 ("xy_LOK") opens an editor window.
xdotool mousemove --window "$main" 360 180 click 1
editor=$(xdotool search --sync --name "/xy_LOK$" | head -1)
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$editor")"
placed="$X $Y" # where the program put it
echo "first editor placed at $X,$Y"
xdotool windowmove "$editor" 330 150
sleep 0.5
echo "editor window:"
xprop -id "$editor" WM_TRANSIENT_FOR _NET_WM_WINDOW_TYPE | sed 's/^/  /'
echo "  main window: window id # $(printf '0x%x' "$main")"

xdotool windowactivate --sync "$main"
sleep 0.7
echo "stacking, bottom to top: $(xprop -root _NET_CLIENT_LIST_STACKING | cut -d'#' -f2)"
shot editor-owned.png 30 0 780 620

xdotool windowminimize --sync "$main"
sleep 0.7
echo "after minimizing the main window: main $(state "$main"), editor $(state "$editor")"
xdotool windowactivate --sync "$main" 2>/dev/null
sleep 0.7
echo "after restoring it: main $(state "$main"), editor $(state "$editor")"

# The search dialog belongs to its editor.
xdotool windowactivate --sync "$editor"
eval "$(xdotool getwindowgeometry --shell "$editor")"
xdotool mousemove --window "$editor" 287 12 click 1 # "Szukaj", the twelfth button
search=$(xdotool search --sync --name "^Szukaj\.\.\.$" | head -1)
echo "search dialog: $(xprop -id "$search" WM_TRANSIENT_FOR)"
xdotool mousemove --window "$search" 315 76 click 1 # "Anuluj"
sleep 0.5

# The close question, after an edit.
xdotool windowactivate --sync "$editor"
xdotool mousemove --window "$editor" 200 100 click 1
xdotool type "x"
xdotool key alt+F4 # openbox closes the active window
sleep 1
question=$(xdotool search --sync --name "^Ostrzeżenie$" | head -1)
import -frame -window "$question" "$out/close-question.png"
xdotool key Escape
sleep 0.5

# The open dialog of "Otwórz".
xdotool windowactivate --sync "$editor"
xdotool mousemove --window "$editor" 37 12 click 1
sleep 1.5
dialog=$(xdotool getactivewindow)
echo "open dialog: $(xprop -id "$dialog" WM_NAME | cut -d= -f2)"
import -frame -window "$dialog" "$out/open-dialog.png"
xdotool key Escape
sleep 0.5

# Two more editors: each opens offset from the last one still open (the first one back where
# the program placed it).
xdotool windowmove "$editor" $placed
xdotool windowactivate --sync "$main"
sleep 0.5
for _ in 1 2; do
    xdotool mousemove --window "$main" 360 180 click 1
    sleep 1
done
echo "editor windows, top left of each (bottom to top):"
for w in $(xprop -root _NET_CLIENT_LIST_STACKING | cut -d'#' -f2 | tr -d ','); do
    if xprop -id "$w" WM_NAME | grep -q '/xy_LOK"$'; then
        eval "$(xdotool getwindowgeometry --shell "$w")"
        echo "  $X,$Y  WM_TRANSIENT_FOR $(xprop -id "$w" WM_TRANSIENT_FOR | cut -d'#' -f2)"
    fi
done
import -window root "$out/editors-cascaded.png"

# The first editor holds an unsaved change when another program appends a point to its file:
# it comes to the front and asks.
xdotool windowactivate --sync "$editor"
xdotool mousemove --window "$editor" 200 100 click 1
xdotool type "x"
sleep 0.5
printf '9999 5712345.00 6543210.00\r\n' >>xy_LOK
question=$(xdotool search --sync --name "^Ostrzeżenie$" | head -1)
sleep 0.7
echo "reload question: $(xprop -id "$question" WM_TRANSIENT_FOR _NET_WM_ALLOWED_ACTIONS | tr '\n' ' ')"
echo "  its editor: window id # $(printf '0x%x' "$editor"); active: $(xprop -root _NET_ACTIVE_WINDOW | cut -d'#' -f2)"
import -window root "$out/reload-question.png"
xdotool key Escape # "Nie": the editor keeps its text
sleep 0.5
