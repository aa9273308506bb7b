#!/bin/sh
# Runs a test program in a virtual X server under openbox, so that its windows meet a real
# window manager: stacking, ownership and the keyboard focus as a user has them.
#   under-openbox.sh PROGRAM [ARGS...]
# Exits 77 (skipped) when Xvfb, openbox, xprop or xdotool is missing.
#
# The server picks its own free display and tells it (-displayfd): "xvfb-run -a" guesses a free
# number and then starts the server, so two tests started at once (ctest -j) could meet on one
# display, where the second openbox finds a window manager running and gives up.
for tool in Xvfb openbox xprop xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is missing: skipped"
        exit 77
    fi
done
run=$(mktemp -d) || exit 1
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run/display" 2>"$run/xvfb.log" &
server=$!
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 143' INT TERM HUP

# Wait (up to 20 s) for the server to name its display, then for openbox to announce itself.
tries=0
until [ -s "$run/display" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 400 ] || ! kill -0 "$server" 2>/dev/null; then
        echo "the virtual X server did not start:" >&2
        cat "$run/xvfb.log" >&2
        exit 1
    fi
    sleep 0.05
done
DISPLAY=:$(cat "$run/display")
export DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    tries=$((tries + 1))
    if [ $tries -gt 400 ]; then
        echo "openbox did not come up on $DISPLAY" >&2
        exit 1
    fi
    sleep 0.05
done
QT_QPA_PLATFORM=xcb "$@"
status=$?
exit $status
