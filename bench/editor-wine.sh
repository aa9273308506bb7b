#!/usr/bin/env bash
# A keystroke at the end (and at the top) of a 10 MB point file in the Windows build, under
# wine in Xvfb with openbox: vorida.exe opens xy_LOK through its file button, Ctrl+End, then
# xdotool types KEYS keys 100 ms apart. Prints the CPU time (utime + stime from /proc) of the
# process running vorida.exe per key, less an idle baseline of the same length, and the same for
# wineserver. Needs the Windows cache (scripts/windows-deps.sh); builds vorida.exe with
# scripts/windows-program-build.sh. Not run by CI. Figures: docs/editor-performance.md.
#
# Environment: LINES (points in xy_LOK, default 340000: 10.3 MB), KEYS (40), RUNS (3),
# STAGE (folder for the program, default /tmp/vorida-editor-wine), SHOTS (a folder to save
# screenshots of the main window, the editor and its close question into; default none).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
stage=${STAGE:-/tmp/vorida-editor-wine}
export WINEPREFIX=$stage/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ -z "${VORIDA_IN_XVFB:-}" ]; then
    cd "$root"
    scripts/windows-program-build.sh >/dev/null
    cmake --build build-win-gui -j2 --target vorida-cli >/dev/null
    cache=${VORIDA_WIN_CACHE:-$HOME/.cache/vorida-win64}
    qt=$cache/qt6
    mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats"
    cp build-win-gui/bin/vorida.exe "$qt"/bin/Qt6{Core,Gui,Widgets,PrintSupport}.dll "$stage/"
    cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
    cp "$qt/plugins/styles/"*.dll "$stage/styles/"
    cp "$qt/plugins/imageformats/"*.dll "$stage/imageformats/"
    for dll in libstdc++-6.dll libwinpthread-1.dll libgcc_s_seh-1.dll; do
        cp "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")" "$stage/"
    done
    cp examples/xy2000 "$stage/"
    python3 bench/generate.py points "${LINES:-340000}" >"$stage/xy_LOK"
    [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1 || true; wineserver -w; }
    # the sample area, without which the program starts with an error message
    cp build-win-gui/bin/vorida-cli.exe "$stage/"
    (cd "$stage" && wine vorida-cli.exe pack "Z:${root//\//\\}\\examples\\TRANSPKT.txt" -o TRANSPKT.BIN)
    VORIDA_IN_XVFB=1 exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0"
fi

keys=${KEYS:-40} runs=${RUNS:-3}
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
cd "$stage"
(wine vorida.exe >"$stage/vorida.log" 2>&1 &)
trap 'wineserver -k 2>/dev/null || true; kill $wm 2>/dev/null || true' EXIT
shot() { if [ -n "${SHOTS:-}" ]; then mkdir -p "$SHOTS" && import -window root "$SHOTS/$1.png"; fi; }
wait_for() { # wait_for TRIES COMMAND...: retries a command every half second
    local n=$1; shift
    for _ in $(seq "$n"); do "$@" && return 0; sleep 0.5; done
    return 1
}
main=""
find_main() { main=$(xdotool search --onlyvisible --name '^Transformacja punktów Vorida' | head -n1) && [ -n "$main" ]; }
wait_for 120 find_main || { echo "no main window" >&2; exit 1; }
pid=$(xdotool getwindowpid "$main")
sleep 3
shot main
hints() { echo "$1: $(xdotool getwindowname "$2"), $(xprop -id "$2" _MOTIF_WM_HINTS)"; }
hints "main window" "$main"
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
# The file button "xy_LOK" of the main window (ui/UTransPKTF.ui: 316,163 107x36).
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
xdotool mousemove --window "$main" 369 181 click 1
editor=""
find_editor() { editor=$(xdotool search --onlyvisible --pid "$pid" | grep -vx "$main" | tail -n1) && [ -n "$editor" ]; }
wait_for 120 find_editor || { echo "no editor window" >&2; exit 1; }
# wait until the editor has read and shown the file: two quiet seconds
prev=$(ticks "$pid")
for _ in $(seq 60); do
    sleep 2
    now=$(ticks "$pid")
    [ $((now - prev)) -le 2 ] && break
    prev=$now
done
xdotool windowactivate --sync "$editor" >/dev/null 2>&1 || true
# this prefix's wineserver: the one working in its server folder
server=server-$(stat -c %D "$WINEPREFIX")-$(printf %x "$(stat -c %i "$WINEPREFIX")")
ws=$pid
for p in $(pgrep wineserver); do [ "$(basename "$(readlink "/proc/$p/cwd")")" = "$server" ] && ws=$p; done
[ "$ws" != "$pid" ] || echo "wineserver not found: its figures are vorida.exe's" >&2
cost() { # cost KEY-TO-PLACE-THE-CARET: ms of CPU per key, vorida.exe and wineserver
    xdotool key --clearmodifiers "$1"
    sleep 2
    local t0 w0 t1 w1 t2 w2 t3 w3 s
    t0=$(ticks "$pid") w0=$(ticks "$ws")
    s=$(date +%s.%N)
    xdotool type --delay 100 "$(head -c "$keys" /dev/zero | tr '\0' 7)"
    sleep 1
    t1=$(ticks "$pid") w1=$(ticks "$ws")
    local span
    span=$(echo "$(date +%s.%N) - $s" | bc)
    t2=$(ticks "$pid") w2=$(ticks "$ws")
    sleep "$span"
    t3=$(ticks "$pid") w3=$(ticks "$ws")
    echo "$1 vorida.exe $(echo "scale=2; (($t1 - $t0) - ($t3 - $t2)) * 1000 / $hz / $keys" | bc) ms/key" \
        "(typing $((t1 - t0)) ticks, idle $((t3 - t2)) ticks, ${span%????????} s)" \
        "wineserver $(echo "scale=2; (($w1 - $w0) - ($w3 - $w2)) * 1000 / $hz / $keys" | bc) ms/key"
}
for r in $(seq "$runs"); do
    echo "run $r"
    cost ctrl+End
    cost ctrl+Home
done
shot editor
hints "editor" "$editor"
# the close question of the edited text
xdotool key --clearmodifiers alt+F4
sleep 3
shot question
question=$(xdotool search --onlyvisible --pid "$pid" | grep -vx "$main" | grep -vx "$editor" | tail -n1)
[ -z "$question" ] || hints "close question" "$question"
