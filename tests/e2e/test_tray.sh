#!/usr/bin/env bash
# The tray as a user meets it: only the icon at start, its menu on left and right
# click, "Open From clipboard" without a picture and with one of 12,000 x 12,000 pixels,
# "Open From file" (cancelled, then chosen), "Show", "Exit"; then "Open Form Screen" in a
# new run.
source "$(dirname "$0")/lib.sh"

# A desktop with known content for the screen copy: blue with a yellow block.
"$IM_CONVERT" -size 1280x800 "xc:rgb(51,102,204)" -fill "rgb(250,200,0)" \
    -draw "rectangle 300,300 500,400" "$WORK/desktop.png" || fail "cannot make the desktop"
display-im6.q16 -window root "$WORK/desktop.png" || true # reports 1 after painting the root
"$IM_CONVERT" -size 60x40 "xc:rgb(200,30,60)" "$WORK/chosen.png"

start_orvane
wait_for_tray_icon || fail "no tray icon"
sleep 0.5
editor_window >/dev/null && fail "the editor shows although no path was given"
read -r tx ty < <(tray_icon_centre)
for button in 1 3; do
    click "$tx" "$ty" "$button"
    wait_until 5 open_menu || fail "button $button on the icon opened no menu"
    read -r mx my mw mh < <(window_geometry "$(open_menu)")
    [ "$mh" -ge 100 ] || fail "tray menu too small for eight items (${mw}x${mh})"
    [ $((mx - tx)) -le 300 ] && [ $((my - ty)) -le 40 ] || fail "menu not at the pointer"
    [ "$button" = 1 ] && keep_shot tray-menu
    key Escape
    wait_until 5 not open_menu || fail "menu did not close"
done
pass "only the tray icon; left and right click open its menu at the pointer"

# tray_item N: chooses item N (from 1) of the tray menu with the keyboard.
tray_item() {
    click "$tx" "$ty" 1
    wait_until 5 open_menu || fail "the tray menu did not open"
    for _ in $(seq "$1"); do key Down; done
    key Return
}
# The message box: a window titled "Orvane Tessaly" smaller than the editor.
message_box() {
    local id=$(window_where 65 800 0 800)
    [ -n "$id" ] && [ "$(xdotool getwindowname "$id")" = "Orvane Tessaly" ] && echo "$id"
}
tray_item 1 # "Open From clipboard"
wait_until 5 message_box || fail "no message box titled Orvane Tessaly"
editor_window >/dev/null && fail "the editor showed"
xdotool windowactivate --sync "$(message_box)" 2>/dev/null || true
key Return
wait_until 5 not message_box || fail "the message box did not close"
sleep 0.5
editor_window >/dev/null && fail "the editor showed after the message"
pass "no picture in the clipboard: a message box and nothing else"

# A picture of 12,000 x 12,000 pixels on the clipboard, inside the editor's limit: it opens.
# Flat, so that its PNG is a few hundred KB (576 MB once decoded).
python3 - "$WORK/big.png" <<'PNG' || fail "cannot make the big picture"
import struct, sys, zlib
side = 12000
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
row = b"\0" + bytes((40, 170, 90)) * side
z = zlib.compressobj(9)
data = b"".join(z.compress(row) for _ in range(side)) + z.flush()
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", data) + chunk(b"IEND", b""))
PNG
xclip -selection clipboard -t image/png -i "$WORK/big.png" || fail "xclip could not take the picture"
tray_item 1 # "Open From clipboard"
menu_closed() { message_box || not open_menu; } # a refusal's box is as large as the menu
wait_until 5 menu_closed || fail "the tray menu stayed open"
big_shown() { editor_window || message_box; }
wait_until 60 big_shown || { keep_shot big-clipboard; fail "nothing opened from the clipboard"; }
message_box >/dev/null && { keep_shot big-refused; fail "the 12,000 x 12,000 picture was refused"; }
# The window may show before so large a picture is drawn in it.
s="$WORK/big-shot.png"
big_drawn() { shot "$s" && [ "$(pixel "$s" 640 400)" = "40,170,90" ]; }
wait_until 60 big_drawn || { keep_shot big-undrawn; fail "the big picture was not drawn"; }
for p in "300 200" "1270 790"; do expect_pixel "$s" $p "40,170,90" "clipboard picture"; done
click $((1280 - 4 * 35 + 17)) 21 # the editor's hide button
wait_until 10 not editor_window || fail "the hide button did not hide the big picture's editor"
pass "a 12,000 x 12,000 picture on the clipboard opens in the editor"

file_dialog() { window_where 300 1200 200 9999; }
open_from_file() {
    tray_item 2
    wait_until 10 file_dialog || fail "no file dialog"
    xdotool windowactivate --sync "$(file_dialog)" 2>/dev/null || true
    sleep 0.5
}
open_from_file
key Escape
wait_until 5 not file_dialog || fail "the dialog did not close"
sleep 1
editor_window >/dev/null && fail "a cancelled dialog opened something"
open_from_file
type_text "$WORK/chosen.png"
key Return
wait_until 10 editor_window || fail "the chosen file did not open"
sleep 1
s="$WORK/chosen-shot.png"
shot "$s"
expect_pixel "$s" 55 55 "200,30,60" "picture at the parking place (800 twips)"
expect_pixel "$s" 110 90 "200,30,60" "picture at its own size"
[ "$(pixel "$s" 116 60)" != "200,30,60" ] || fail "picture wider than 60 px"
pass "Open From file: a cancel opens nothing, a chosen PNG opens at its own size"

click $((1280 - 4 * 35 + 17)) 21 # the editor's hide button
wait_until 5 not editor_window || fail "the hide button did not hide the editor"
tray_item 4 # "Show"
wait_until 10 editor_window || fail "Show did not bring up the editor"
id=$(editor_window)
[ "$(window_geometry "$id")" = "0 0 1280 800" ] || fail "editor is $(window_geometry "$id")"
[ "$(xdotool getwindowname "$id")" = "Orvane Tessaly" ] || fail "editor title"
xdotool windowunmap "$id"
tray_item 8 # "Exit" (below "Start at login")
wait_until 10 not orvane_alive || fail "Exit did not end the program"
sleep 0.3
tray_icon_centre >/dev/null && fail "tray icon still there after Exit"
pass "Show brings up the screen-sized editor; Exit ends the program and removes the icon"

start_orvane
wait_for_tray_icon || fail "no tray icon on the second run"
sleep 0.5
read -r tx ty < <(tray_icon_centre)
tray_item 3 # "Open Form Screen"
sleep 0.4
window_where 65 9999 0 9999 && fail "a window shows during the pause"
wait_until 5 editor_window || fail "the editor did not show"
strip_at() { window_geometry "$(window_where 376 377 34 35)"; }
docked() { [ "$(strip_at)" = "904 0 376 34" ]; }
wait_until 5 docked || fail "tool strip not at the top-right corner: '$(strip_at)'"
sleep 0.5
s="$WORK/measure.png"
shot "$s"
expect_pixel "$s" 400 350 "250,200,0" "copied block"
for p in "640 600" "20 300" "600 20"; do expect_pixel "$s" $p "51,102,204" "desktop, no bar"; done
[ "$(pixel "$s" 950 28)" != "51,102,204" ] || fail "the strip is hidden behind the editor"
"$IM_CONVERT" -size 1280x800 "xc:rgb(0,0,0)" "$WORK/black.png"
display-im6.q16 -window root "$WORK/black.png" || true
sleep 0.3
shot "$s"
expect_pixel "$s" 640 600 "51,102,204" "still copy after the desktop changed"
pass "Open Form Screen: nothing for a while, then a still copy without bars, the strip on top"
