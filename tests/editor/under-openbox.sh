#!/bin/sh
# Runs a test program in a virtual X server under openbox, so that its windows meet a real
# window manager: stacking, ownership and the keyboard focus as a user has them.
#   under-openbox.sh PROGRAM [ARGS...]
# Exits 77 (skipped) when xvfb-run, openbox, xprop or xdotool is missing.
for tool in xvfb-run openbox xprop xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is missing: skipped"
        exit 77
    fi
done
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    # Its first windows must meet it ready: wait (up to 10 s) until it announces itself.
    tries=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        tries=$((tries + 1))
        [ $tries -gt 200 ] && break
        sleep 0.05
    done
    QT_QPA_PLATFORM=xcb "$@"
    status=$?
    kill $wm 2>/dev/null
    exit $status' sh "$@"
