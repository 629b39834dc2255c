#!/usr/bin/env bash
# A designer's first hour: a picture that cannot be opened is told every time and
# leaves no empty editor; "Open Form Screen" over an open picture shows the screen;
# typing right after placing a note goes into the note and Escape gives the keys back
# to the tools; saving over a file asks, and No leaves it as it was; Ctrl+O opens a
# file and "Discard" leaves no annotation on it; G and a click keep both edge spans.
source "$(dirname "$0")/lib.sh"

blue=51,102,204 red=255,0,0
ox=57 oy=49 # the canvas's top-left corner on the screen
"$IM_CONVERT" -size 1280x800 "xc:rgb($blue)" "$WORK/desktop.png" || fail "cannot make the desktop"
display-im6.q16 -window root "$WORK/desktop.png" || true # reports 1 after painting the root
"$IM_CONVERT" -size 400x300 "xc:rgb(200,200,60)" "$WORK/olive.png"
"$IM_CONVERT" -size 400x300 "xc:rgb(60,200,90)" "$WORK/green.png"
"$IM_CONVERT" -size 400x260 xc:white -fill '#6C5CE7' -draw 'rectangle 50,40 289,169' "$WORK/box.png"
printf 'not a picture' >"$WORK/broken.png"

titled() { xdotool search --onlyvisible --name "^$1\$" | grep -m 1 .; }
told_broken() { # the message box naming broken.png, then its dismissal
    wait_until 15 orvane_message || { keep_shot no-message; fail "$1: nothing was told"; }
    editor_window >/dev/null && { keep_shot editor-behind; fail "$1: an editor shows behind"; }
    dismiss_message
}

# ---- A broken file: told at start-up, and again at each second start.
start_orvane "$WORK/broken.png"
told_broken "the start-up open"
sleep 1 # the start-up's own second open of the path (silent, with its 400 ms pause) ends
for n in 2 3; do
    "$ORVANE_BIN" "$WORK/broken.png" >>"$WORK/orvane.log" 2>&1
    told_broken "open number $n"
done
orvane_alive || fail "orvane ended"
pass "a broken file is told each time it is opened, with no editor behind"

# ---- The screen route over an open picture copies the screen as it is now.
wait_for_tray_icon || fail "no tray icon"
read -r tx ty < <(tray_icon_centre)
tray_item() {
    click "$tx" "$ty" 1
    wait_until 5 open_menu || fail "the tray menu did not open"
    for _ in $(seq "$1"); do key Down; done
    key Return
}
"$ORVANE_BIN" "$WORK/olive.png" >>"$WORK/orvane.log" 2>&1
wait_until 10 editor_window || fail "the picture did not open"
sleep 1
click 1157 21 # the hide button: the editor keeps its picture out of sight, the tray shows
wait_until 5 not editor_window || fail "the hide button left the editor"
tray_item 3 # "Open Form Screen"
strip() { window_where 376 377 34 35; }
wait_until 10 strip || fail "no tool strip"
sleep 1
look screen
expect_pixel "$s" $((ox + 100)) $((oy + 100)) $blue "the copied screen where the picture was"
expect_pixel "$s" 25 400 $blue "the copied screen where the left bar was"
pass "Open Form Screen over an open picture shows the screen, without the editor's bars"
read -r sx sy _ < <(window_geometry "$(strip)")
click $((sx + 328 + 17)) $((sy + 17)) # the strip's close icon: nothing to save
wait_until 5 not editor_window || fail "the strip's close icon left the editor"

# ---- A note takes the typing; Escape gives the keys back to the tools.
"$ORVANE_BIN" "$WORK/olive.png" >>"$WORK/orvane.log" 2>&1
wait_until 10 editor_window || fail "the picture did not open again"
sleep 1
click 25 159 # the note tool
drag $((ox + 100)) $((oy + 150)) $((ox + 250)) $((oy + 200))
sleep 0.3
type_text "use 16px gap"
key Escape
key d
drag $((ox + 40)) $((oy + 260)) $((ox + 240)) $((oy + 260))

save_dialog() { titled "Save As"; }
replace_question() { [ "$(xdotool search --onlyvisible --name '^Save As$' | wc -l)" -ge 2 ]; }
# focus_editor: a click on the left bar's empty part gives the editor the keyboard.
focus_editor() { click 25 600; }
save_to() { # PATH: Ctrl+S, PATH typed over the offered name, Return
    focus_editor
    key ctrl+s
    wait_until 10 save_dialog || { keep_shot no-dialog; fail "no save dialog"; }
    xdotool windowactivate --sync "$(save_dialog)" 2>/dev/null || true
    sleep 0.3
    key ctrl+a
    type_text "$1"
    key Return
}
save_to "$WORK/marks.psd"
wait_until 10 not save_dialog || { keep_shot dialog; fail "the save dialog stayed open"; }
wait_until 10 test -s "$WORK/marks.psd" || fail "nothing saved as marks.psd"
json=$("$ORVANE_BIN" --export-annotations "$WORK/marks.psd") || fail "no annotations in marks.psd"
grep -q '"text": *"use 16px gap"' <<<"$json" || { echo "$json" >&2; fail "the typing is not the note's text"; }
[ "$(grep -c '"kind": *"note"' <<<"$json")" = 1 ] || fail "not exactly one note"
[ "$(grep -c '"kind": *"distance"' <<<"$json")" = 1 ] ||
    { echo "$json" >&2; fail "D after Escape did not draw with the distance tool"; }
pass "typing after placing a note fills it; after Escape, D draws a distance marker"

cp "$WORK/marks.psd" "$WORK/before.psd"
save_to "$WORK/marks.psd"
wait_until 10 replace_question || { keep_shot no-question; fail "saving over marks.psd asked nothing"; }
sleep 0.3
key Return # No, the question's default
wait_until 5 not replace_question || fail "the question stayed after No"
save_dialog >/dev/null || fail "No closed the save dialog"
read -r dx dy dw dh < <(window_geometry "$(save_dialog)")
click $((dx + dw - 52)) $((dy + dh - 23)) # its Cancel button
wait_until 5 not save_dialog || { keep_shot dialog-stays; fail "the save dialog stayed after Cancel"; }
cmp -s "$WORK/marks.psd" "$WORK/before.psd" || fail "No changed marks.psd"
pass "saving over a file asks; No, then Cancel, leave it byte for byte"

# ---- Ctrl+O opens a file; "Discard" leaves no annotation on the next picture.
open_dialog() { window_where 300 1200 200 9999; }
open_with_ctrl_o() { # PATH
    focus_editor
    key ctrl+o
    wait_until 10 open_dialog || { keep_shot no-open-dialog; fail "Ctrl+O showed no file dialog"; }
    xdotool windowactivate --sync "$(open_dialog)" 2>/dev/null || true
    sleep 0.5
    type_text "$1"
    key Return
}
open_with_ctrl_o "$WORK/green.png"
sleep 1.5
look green
expect_pixel "$s" $((ox + 390)) $((oy + 20)) 60,200,90 "the file opened with Ctrl+O"
# The saved markers came along, never saved on this picture: the next open asks.
open_with_ctrl_o "$WORK/box.png"
wait_until 10 orvane_message || { keep_shot no-question; fail "the carried markers were not asked about"; }
xdotool windowactivate --sync "$(orvane_message)" 2>/dev/null || true
key alt+d # Discard
wait_until 5 not orvane_message || fail "the question stayed after Discard"
sleep 1.5
ox=53 oy=53 # the file route puts the canvas at 800 twips from the window's corner
look box
expect_pixel "$s" $((ox + 20)) $((oy + 20)) 255,255,255 "box.png"
[ "$(count_colour "$s" 400x260+$ox+$oy FF0000)" = 0 ] || { keep_shot discarded; fail "annotations stayed after Discard"; }
[ "$(count_colour "$s" 400x260+$ox+$oy FFFFC0)" = 0 ] || fail "a label or note stayed after Discard"
pass "Ctrl+O opens a file, and after Discard no annotation is left"

# ---- G, then a click, keeps both spans of the box (no Alt, which a window manager takes).
click 25 79 # the distance tool
move_to $((ox + 170)) $((oy + 100))
key g
xdotool mousemove $((ox + 171)) $((oy + 100))
sleep 0.4
xdotool click 1
sleep 0.3
key g
look kept
for x in 60 120 250 289; do expect_pixel "$s" $((ox + x)) $((oy + 100)) $red "the kept horizontal span"; done
for y in 50 80 150; do expect_pixel "$s" $((ox + 171)) $((oy + y)) $red "the kept vertical span"; done
[ "$(pixel "$s" $((ox + 20)) $((oy + 100)))" != $red ] || fail "the span runs past the box"
orvane_alive || fail "orvane ended"
pass "G and a click keep both spans as distance markers"
