#!/usr/bin/env bash
# A note typed in its real editor and made transparent: place a note, type two
# lines, choose "Transparent Background color", move the pointer away: the
# text shows over the picture without its box. Hovering brings the box back.
source "$(dirname "$0")/lib.sh"

# menu_item N COUNT: clicks item N (1-based) of the open menu of COUNT items.
menu_item() {
    local id g
    wait_until 3 open_menu || fail "no menu opened"
    id=$(open_menu); g=$(window_geometry "$id"); set -- $g "$1" "$2"
    click $(( $1 + $3 / 2 )) $(( $2 + $4 * (2 * $5 - 1) / (2 * $6) ))
}
# count_colour FILE GEOMETRY HEX: pixels of that colour in the area.
count_colour() { "$IM_CONVERT" "$1" -crop "$2" -depth 8 txt:- | grep -c "$3"; }

start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
click 25 159  # the note tool
drag 600 300 450 340
click 470 340  # into the box
key ctrl+a
type_text "Hello note"
key Return
type_text "second line"
move_to 900 700
sleep 0.3
area="130x60+440+320"
typed="$WORK/typed.png"
shot "$typed"
[ "$(count_colour "$typed" "$area" '#FFFFC0')" -ge 1200 ] ||
    fail "the typed note has no box of two lines (box pixels $(count_colour "$typed" "$area" '#FFFFC0'))"
# The second line lies below the template's single line of text.
[ "$(count_colour "$typed" "140x12+450+351" '#FF0000')" -ge 20 ] || fail "no second line of text"

xdotool mousemove --sync 470 340 click 3
sleep 0.3
menu_item 4 5  # "Transparent Background color"
move_to 900 700
sleep 0.5
s="$WORK/transparent.png"
shot "$s"
[ "$(count_colour "$s" "$area" '#FFFFC0')" -eq 0 ] || fail "the box still shows after leaving"
[ "$(count_colour "$s" "140x12+450+337" '#FF0000')" -ge 20 ] || fail "no first line over the picture"
[ "$(count_colour "$s" "140x12+450+351" '#FF0000')" -ge 20 ] || fail "no second line over the picture"
pass "transparent note: text without a box"

move_to 460 345
move_to 462 347
sleep 0.3
h="$WORK/hovered.png"
shot "$h"
[ "$(count_colour "$h" "$area" '#FFFFC0')" -ge 1200 ] || fail "hovering does not show the box"
move_to 900 700
sleep 0.3
shot "$s"
[ "$(count_colour "$s" "$area" '#FFFFC0')" -eq 0 ] || fail "the box stays after leaving again"
orvane_alive || fail "orvane ended"
pass "hovering shows the box, leaving hides it"
