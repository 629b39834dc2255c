#!/usr/bin/env bash
# A colour marker's code on the clipboard: pick a colour on the picture,
# right-click the code label, "Copy color code"; the clipboard holds the
# picked pixel's web code. After "RGB color" the copy is the RGB text.
source "$(dirname "$0")/lib.sh"

command -v xclip >/dev/null || fail "xclip is not installed"

# menu_item N COUNT: clicks item N (1-based) of the open menu of COUNT items.
menu_item() {
    local id g
    wait_until 3 open_menu || fail "no menu opened"
    id=$(open_menu); g=$(window_geometry "$id"); set -- $g "$1" "$2"
    click $(( $1 + $3 / 2 )) $(( $2 + $4 * (2 * $5 - 1) / (2 * $6) ))
}
clipboard() { xclip -o -selection clipboard 2>/dev/null; }

start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
before="$WORK/before.png"
shot "$before"
picked=$(pixel "$before" 365 265)
[ "$picked" != 255,255,255 ] || fail "the sample has no colour at the pick point"
IFS=, read -r r g b <<<"$picked"
web=$(printf '#%02X%02X%02X' "$r" "$g" "$b")

click 25 119  # the colour-pick tool
drag 365 265 545 305
move_to 900 700
sleep 0.3

# The code label lies right of the swatch at the leader's end.
xdotool mousemove --sync 575 300 click 3
sleep 0.3
menu_item 3 7  # "Copy color code"
wait_until 3 test "$(clipboard)" = "$web" || fail "clipboard holds '$(clipboard)', not $web"
pass "copied $web for the picked pixel $picked"

xdotool mousemove --sync 575 300 click 3
sleep 0.3
menu_item 5 7  # "RGB color"
xdotool mousemove --sync 575 300 click 3
sleep 0.3
menu_item 3 7
rgb="R$r,G$g,B$b"
wait_until 3 test "$(clipboard)" = "$rgb" || fail "clipboard holds '$(clipboard)', not $rgb"
orvane_alive || fail "orvane ended"
pass "after RGB color the copy is $rgb"
