#!/usr/bin/env bash
# Dialogs over the full-screen editor on Wayland: the save button's "Save As"
# dialog is shown (sway's tree: visible) and typing a name writes the file, and
# saving over it asks first, all from the keyboard without a click into the dialog;
# closing with a new marker asks "Save changes to this markup?", shown too, and
# Cancel keeps the editor.
source "$(dirname "$0")/lib.sh"

red=255,0,0
mkdir -p "$WORK/pictures"
"$IM_CONVERT" -size 600x400 "xc:rgb(30,160,220)" "$WORK/pictures/blue.png"
start_orvane "$WORK/pictures/blue.png"
wait_until 20 editor || fail "no full-screen editor: $(orvane_windows_json)"
sleep 1
# marker_on X Y: a fresh screenshot shows a marker's line at (X, Y), clear of its label.
marker_on() { shot "$WORK/m.png"; [ "$(pixel "$WORK/m.png" "$1" "$2")" = $red ]; }
click 25 79 # the distance tool
drag 100 300 300 310
move_to 1000 760
wait_until 10 marker_on 260 300 || { keep_shot marker; fail "no marker after the drag"; }

# shown_dialog: a window of the program besides the editor that sway shows (its JSON).
shown_dialog() {
    orvane_windows_json | jq -c 'select(.fullscreen_mode == 0 and .visible == true)' | grep -m 1 .
}
# hidden_dialog: one that exists but is not shown.
hidden_dialog() {
    orvane_windows_json | jq -c 'select(.fullscreen_mode == 0 and .visible != true)' | grep -m 1 .
}
click 1122 21 # the save button
wait_until 10 shown_dialog ||
    { keep_shot no-save-dialog; fail "no save dialog shown; hidden: $(hidden_dialog)"; }
[ "$(shown_dialog | jq -r .name)" = "Save As" ] || fail "the dialog shown is $(shown_dialog)"
look save-dialog
editor | any '.visible == true' || fail "the editor is no longer shown under the dialog"
pass "the save button's dialog is shown over the full-screen editor"

# sway gives no keyboard focus to a window mapped over a full-screen one: the keys
# reach the editor, which hands them to the dialog. Nothing here focuses the dialog.
out="$HOME/Desktop/measured.png"
key ctrl+a
type_text "$out"
key Return
wait_until 10 test -s "$out" || { keep_shot not-saved; fail "typing a name in the dialog wrote no file"; }
wait_until 10 not shown_dialog || fail "the dialog stayed after saving"
[ "$(identify-im6.q16 -format %wx%h "$out")" = 600x400 ] || fail "the saved file is $(identify-im6.q16 "$out")"
expect_pixel "$out" $((260 - 57)) $((300 - 49)) $red "the marker in the saved file"
pass "typing a name and Return writes the picture with its marker"

# Saving over it asks first; the question answers the keyboard too.
: >"$out"
click 1122 21
wait_until 10 shown_dialog || fail "no save dialog the second time"
key ctrl+a
type_text "$out"
key Return
# two_shown: the save dialog and its question, both shown.
two_shown() { [ "$(orvane_windows_json | jq -c 'select(.fullscreen_mode == 0 and .visible == true)' | wc -l)" = 2 ]; }
wait_until 10 two_shown || { keep_shot no-replace-question; fail "no question before replacing"; }
sleep 0.5
key y
wait_until 10 test -s "$out" || { keep_shot not-replaced; fail "Yes did not replace the file"; }
wait_until 10 not shown_dialog || fail "a dialog stayed after replacing"
pass "replacing a file is asked over the editor and Yes typed there replaces it"

drag 150 400 350 410 # (clear of the magnifier at the left)
move_to 1000 760
wait_until 10 marker_on 320 400 || { keep_shot second; fail "no second marker: $(windows)"; }
click 1227 21 # the close button
wait_until 10 shown_dialog ||
    { keep_shot no-question; fail "no question shown on close; hidden: $(hidden_dialog)"; }
look question
[ "$(shown_dialog | jq -r .name)" = "Orvane Tessaly" ] || fail "the window shown is $(shown_dialog)"
pass "\"Save changes to this markup?\" is shown over the editor"
key Escape # Cancel
wait_until 10 not shown_dialog || fail "the question stayed after Escape"
sleep 0.5
editor >/dev/null || fail "Cancel closed the editor"
wait_until 5 marker_on 320 400 || fail "Cancel lost the marker"
pass "Cancel keeps the editor and its markers"
