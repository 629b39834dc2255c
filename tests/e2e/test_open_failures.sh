#!/usr/bin/env bash
# Paths that must not be opened or shown: a FIFO on the command line gives a message at
# once (nothing blocks) and the tray menu still works; a GIF and a BMP cut short give a
# message and no editor, never half a picture.
source "$(dirname "$0")/lib.sh"

mkfifo "$WORK/pipe.png" || fail "cannot make a FIFO"
start_orvane "$WORK/pipe.png"
wait_until 10 orvane_message || fail "FIFO: no message box"
keep_shot fifo-message
dismiss_message
sleep 2.5
orvane_message >/dev/null && fail "FIFO: a second message box"
orvane_alive || fail "FIFO: the program ended"
wait_for_tray_icon || fail "FIFO: no tray icon"
editor_window >/dev/null && fail "FIFO: an empty editor opened"
read -r tx ty < <(tray_icon_centre)
click "$tx" "$ty" 1
wait_until 5 open_menu || fail "FIFO: the tray menu did not open"
key Escape
wait_until 5 not open_menu || fail "FIFO: the tray menu did not close"
kill "$ORVANE_PID" && wait "$ORVANE_PID" 2>/dev/null
pass "a FIFO on the command line: a message, and the tray menu still works"

for kind in gif bmp; do
    f="$WORK/photo.$kind"
    "$IM_CONVERT" -size 160x120 plasma:fractal "$f" || fail "cannot make $f"
    head -c $(($(stat -c %s "$f") * 2 / 3)) "$f" >"$WORK/cut.$kind"
    start_orvane "$WORK/cut.$kind"
    wait_until 10 orvane_message || fail "cut $kind: no message box"
    [ "$kind" = gif ] && keep_shot cut-gif-message
    dismiss_message
    sleep 2.5
    orvane_message >/dev/null && fail "cut $kind: a second message box"
    editor_window >/dev/null && { keep_shot cut-$kind; fail "cut $kind: an empty editor opened"; }
    kill "$ORVANE_PID" && wait "$ORVANE_PID" 2>/dev/null
    pass "a $kind cut short: a message and no editor"
done
