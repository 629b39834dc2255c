#!/usr/bin/env bash
# A forgiving editor, tried as a user: of two markers Ctrl+Z takes back the second and
# Ctrl+Y brings it again; the close button with annotations on the canvas asks "Save
# changes to this markup?" and Cancel keeps them; a TIFF opens; a missing file handed to the
# running program is named in a message while the picture stays; after "Open Form Screen",
# "Open From file" shows the picture with the tool bars.
source "$(dirname "$0")/lib.sh"

red=255,0,0 blue=51,102,204 green=30,160,90 rose=200,30,60
# marker_on Y / marker_off Y: a fresh screenshot shows (or does not show) the line of the
# marker drawn along row Y (at x 260, clear of its length label and the magnifier).
marker_on() { shot "$WORK/m.png"; [ "$(pixel "$WORK/m.png" 260 "$1")" = $red ]; }
marker_off() { shot "$WORK/m.png"; [ "$(pixel "$WORK/m.png" 260 "$1")" != $red ]; }

start_orvane "$SRC/resources/sample/sample.png"
wait_until 20 editor_window || fail "the editor did not open"
sleep 1
click 25 79 # the distance tool
drag 100 300 300 310
drag 100 450 300 460
move_to 1000 760
wait_until 5 marker_on 300 && wait_until 5 marker_on 450 ||
    { keep_shot two-markers; fail "the two markers are not on the canvas"; }
key ctrl+z
wait_until 5 marker_off 450 || { keep_shot undo; fail "Ctrl+Z left the second marker"; }
marker_on 300 || { keep_shot undo; fail "Ctrl+Z took the first marker too"; }
key ctrl+y
wait_until 5 marker_on 450 || { keep_shot redo; fail "Ctrl+Y did not bring the marker back"; }
marker_on 300 || fail "Ctrl+Y lost the first marker"
pass "two markers: Ctrl+Z removes the second, Ctrl+Y brings it back"

click $((1280 - 2 * 35 + 17)) 21 # the editor's close button
wait_until 10 orvane_message || { keep_shot no-question; fail "closing with annotations asked nothing"; }
keep_shot save-question
xdotool windowactivate --sync "$(orvane_message)" 2>/dev/null || true
key Escape # Cancel
wait_until 5 not orvane_message || fail "the question stayed after Cancel"
sleep 0.5
editor_window >/dev/null || fail "Cancel closed the editor"
wait_until 5 marker_on 300 && wait_until 5 marker_on 450 ||
    { keep_shot after-cancel; fail "Cancel lost annotations"; }
orvane_alive || fail "the program ended"
kill "$ORVANE_PID" && wait "$ORVANE_PID" 2>/dev/null
pass "closing with annotations asks, and Cancel keeps them"

"$IM_CONVERT" -size 300x200 "xc:rgb($green)" "$WORK/scan.tiff" || fail "cannot make a TIFF"
start_orvane "$WORK/scan.tiff"
wait_until 20 editor_window || fail "the TIFF: the editor did not open"
sleep 1
look tiff
orvane_message >/dev/null && fail "the TIFF: a message box"
expect_pixel "$s" 200 150 $green "the TIFF on the canvas"
expect_pixel "$s" 340 230 $green "the TIFF at its own size"
pass "a .tiff opens at its own size"

# The running program takes the path a second start hands over.
"$ORVANE_BIN" "$WORK/missing.png" >>"$WORK/orvane.log" 2>&1
wait_until 10 orvane_message || { keep_shot no-message; fail "a missing file: no message"; }
keep_shot missing-message
dismiss_message
sleep 0.5
look after-missing
expect_pixel "$s" 200 150 $green "the picture after a missing file"
pass "a missing file: a message, and the picture stays"
kill "$ORVANE_PID" && wait "$ORVANE_PID" 2>/dev/null

"$IM_CONVERT" -size 1280x800 "xc:rgb($blue)" "$WORK/desktop.png" || fail "cannot make the desktop"
display-im6.q16 -window root "$WORK/desktop.png" || true # reports 1 after painting the root
"$IM_CONVERT" -size 300x200 "xc:rgb($rose)" "$WORK/rose.png"
start_orvane
wait_for_tray_icon || fail "no tray icon"
sleep 0.5
tray_item() {
    local tx ty
    read -r tx ty < <(tray_icon_centre)
    click "$tx" "$ty" 1
    wait_until 5 open_menu || fail "the tray menu did not open"
    for _ in $(seq "$1"); do key Down; done
    key Return
}
tray_item 3 # "Open Form Screen"
strip() { window_where 376 377 34 35; }
wait_until 10 editor_window && wait_until 10 strip || fail "the screen measurement did not show"
sleep 0.5
look measure
expect_pixel "$s" 25 400 $blue "the copied screen, without bars"
# The full-screen editor and the strip cover the tray: the tray icon is clicked through its
# own window, as a desktop's panel that stays on top would deliver the click.
tray_icon_id() {
    local id x y w h
    for id in $(xdotool search --class orvane 2>/dev/null); do
        read -r x y w h < <(window_geometry "$id" 2>/dev/null)
        [ "${w:-0}" -ge 8 ] && [ "$w" -le 64 ] && [ "$h" -ge 8 ] && [ "$h" -le 64 ] &&
            xwininfo -id "$id" | grep -q IsViewable && { echo "$id"; return 0; }
    done
    return 1
}
icon=$(tray_icon_id) || fail "no tray icon window"
move_to 640 400
xdotool click --window "$icon" 1
wait_until 5 open_menu || { keep_shot no-menu; fail "the tray menu did not open over the measurement"; }
key Down Down Return # "Open From file"
file_dialog() { window_where 300 1200 200 9999; }
wait_until 10 file_dialog || { keep_shot no-dialog; fail "no file dialog"; }
xdotool windowactivate --sync "$(file_dialog)" 2>/dev/null || true
sleep 0.5
type_text "$WORK/rose.png"
key Return
wait_until 10 not file_dialog || fail "the file dialog stayed"
bars() {
    shot "$WORK/b.png"
    [ "$(pixel "$WORK/b.png" 100 100)" = $rose ] || return 1
    local p c
    for p in "25 400" "640 20" "25 20"; do
        c=$(pixel "$WORK/b.png" $p)
        [ "$c" != $blue ] && [ "$c" != $rose ] || return 1
    done
}
wait_until 10 bars || { keep_shot no-bars; fail "after a screen measurement the file shows without bars"; }
keep_shot file-after-measure
not strip >/dev/null || fail "the strip stayed over the opened file"
click $((1280 - 4 * 35 + 17)) 21 # the editor's hide button is there and works
wait_until 5 not editor_window || fail "the hide button did not hide the editor"
pass "after a screen measurement, Open From file shows the picture with the tool bars"
