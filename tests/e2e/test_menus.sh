#!/usr/bin/env bash
# Every item of the three annotation menus, as a user reaches it: a right click
# on a distance marker's label, a colour marker's code label or a note opens
# its menu, and the item is chosen with the pointer or with the keyboard. The
# colour dialog is answered through its HTML field. Screenshots show each result.
source "$(dirname "$0")/lib.sh"

# right_click X Y: opens the menu of the annotation under (X, Y).
right_click() {
    click "$1" "$2" 3
    wait_until 3 open_menu || { keep_shot "no-menu"; fail "no menu opened at ($1,$2)"; }
}
# The menu window is gone (the colour dialog that may follow is no menu).
menu_closed() { ! xwininfo -id "$menu" 2>/dev/null | grep -q IsViewable; }
# with_pointer INDEX COUNT: clicks item INDEX (from 0) of the open menu of COUNT items.
with_pointer() {
    menu=$(open_menu)
    local g; g=$(window_geometry "$menu")
    set -- "$1" "$2" $g
    click $(($3 + 40)) $(($4 + (2 * $1 + 1) * $6 / (2 * $2)))
    wait_until 3 menu_closed || fail "menu still open after choosing item $1"
}
# with_keys INDEX: chooses item INDEX of the open menu with Down and Return.
with_keys() {
    menu=$(open_menu)
    local i
    for i in $(seq 0 "$1"); do key Down; done
    key Return
    wait_until 3 menu_closed || fail "menu still open after choosing item $1"
}
colour_dialog() { xdotool search --onlyvisible --name "^Select Color$" | head -n 1 | grep .; }
no_colour_dialog() { ! colour_dialog; }
# answer_colour HEX: types the colour into the open colour dialog and confirms.
answer_colour() {
    wait_until 5 colour_dialog || { keep_shot "no-dialog"; fail "the colour dialog did not open"; }
    sleep 0.3
    key alt+h
    key ctrl+a
    type_text "$1"
    key Return
    wait_until 3 no_colour_dialog || fail "the colour dialog stayed open"
}
# look NAME: moves the pointer out of the way and takes a screenshot ($s).
look() {
    move_to 1000 760
    sleep 0.4
    s="$WORK/$1.png"
    shot "$s"
}
# count_colour FILE WxH+X+Y HEX: pixels of the colour in the area.
count_colour() { "$IM_CONVERT" "$1" -crop "$2" -depth 8 txt:- | grep -c "#$3" || true; }
# label_right FILE X Y RGB: last x from X on row Y that still has colour RGB.
label_right() {
    local x=$2
    while [ "$(pixel "$1" $((x + 1)) "$3")" = "$4" ] && [ "$x" -lt 1200 ]; do x=$((x + 1)); done
    echo "$x"
}

start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
look before
before="$s"
ldefault=255,255,192

# ---- Distance marker: segment 100..300 on row 300, label from (200, 293) ----------
click 25 79
drag 100 300 300 310
look distance
expect_pixel "$s" 201 294 $ldefault "distance label"

right_click 215 299
with_pointer 0 5 # "Change the line color"
answer_colour "#00a0ff"
look distance-line-colour
for p in "150 300" "299 300" "100 296" "300 304"; do expect_pixel "$s" $p 0,160,255 "recoloured marker"; done
[ "$(count_colour "$s" 36x12+200+294 00A0FF)" -ge 20 ] || fail "label text did not take the colour"
pass "distance menu: Change the line color"

right_click 215 299
with_keys 2 # "Change background color"
answer_colour "#c0ffc0"
look distance-background
expect_pixel "$s" 201 294 192,255,192 "label background"
pass "distance menu: Change background color"

right_click 215 299
with_pointer 4 5 # "Custom text"
sleep 0.4
shot "$WORK/custom-text-open.png"
[ "$(count_colour "$WORK/custom-text-open.png" 36x12+200+294 FF8080)" -ge 150 ] ||
    fail "no edit box over the label"
key ctrl+a
type_text "a much wider text"
key Return
look distance-custom-text
right=$(label_right "$s" 201 294 192,255,192)
[ "$right" -ge 280 ] || fail "label did not grow to the custom text (ends at $right)"
[ "$(count_colour "$s" 36x12+200+294 FF8080)" = 0 ] || fail "the edit box stayed open"
pass "distance menu: Custom text (label now ends at x=$right)"

right_click 215 299
with_keys 3 # "Transparent Background color"
look distance-transparent
expect_pixel "$s" 201 294 "$(pixel "$before" 201 294)" "transparent label"
[ "$(count_colour "$s" 90x12+200+294 00A0FF)" -ge 20 ] || fail "label text vanished"
pass "distance menu: Transparent Background color"

right_click 215 299
with_pointer 1 5 # "Delete"
look distance-deleted
for p in "150 300" "100 296" "300 304" "230 299"; do
    expect_pixel "$s" $p "$(pixel "$before" $p)" "deleted marker"
done
pass "distance menu: Delete"

# ---- Colour marker: picked at (365, 265), code label from (554, 295) --------------
picked=$(pixel "$before" 365 265)
click 25 119
drag 365 265 545 305
look colour
expect_pixel "$s" 554 295 $ldefault "code label"
web_right=$(label_right "$s" 554 296 $ldefault)

if command -v xclip >/dev/null; then
    right_click 575 300
    with_keys 2 # "Copy color code"
    copied=$(xclip -o -selection clipboard)
    [[ "$copied" =~ ^#[0-9A-F]{6}$ ]] || fail "copied \"$copied\", not a web colour code"
    pass "colour menu: Copy color code ($copied)"
else
    echo "note: xclip missing, the copied text is not read back"
    right_click 575 300
    with_keys 2
fi

right_click 575 300
with_pointer 4 7 # "RGB color"
look colour-rgb
rgb_right=$(label_right "$s" 554 296 $ldefault)
[ "$rgb_right" -gt $((web_right + 15)) ] || fail "the label did not switch to the longer RGB text"
if command -v xclip >/dev/null; then
    right_click 575 300
    with_pointer 2 7
    copied=$(xclip -o -selection clipboard)
    [[ "$copied" =~ ^R[0-9]+,G[0-9]+,B[0-9]+$ ]] || fail "copied \"$copied\" after RGB color"
fi
pass "colour menu: RGB color"

right_click 575 300
with_keys 3 # "Web color"
look colour-web
expect_pixel "$s" $((web_right + 3)) 296 "$(pixel "$before" $((web_right + 3)) 296)" "web code width"
[ "$(label_right "$s" 554 296 $ldefault)" = "$web_right" ] || fail "the label did not switch back"
pass "colour menu: Web color"

right_click 575 300
with_pointer 0 7 # "Change the line color"
answer_colour "#8000ff"
look colour-line
expect_pixel "$s" 385 285 128,0,255 "first leg"
expect_pixel "$s" 450 305 128,0,255 "second leg"
expect_pixel "$s" 549 302 "$picked" "swatch keeps the picked colour"
pass "colour menu: Change the line color"

right_click 575 300
with_keys 6 # "Change background color"
answer_colour "#ffe0a0"
look colour-background
expect_pixel "$s" 554 295 255,224,160 "code label background"
pass "colour menu: Change background color"

right_click 575 300
with_pointer 5 7 # "Transparent Background color"
look colour-transparent
expect_pixel "$s" 554 295 "$(pixel "$before" 554 295)" "transparent code label"
pass "colour menu: Transparent Background color"

right_click 575 300
with_keys 1 # "Delete"
look colour-deleted
for p in "549 302" "545 298" "385 285" "450 305" "575 300"; do
    expect_pixel "$s" $p "$(pixel "$before" $p)" "deleted colour marker"
done
pass "colour menu: Delete"

# ---- Note: leader from (700, 500), box from (550, 531) ---------------------------
click 25 159
drag 700 500 550 540
look note
expect_pixel "$s" 594 546 $ldefault "note box"

right_click 574 540
with_pointer 0 5 # "Change Background color"
answer_colour "#a0e0ff"
look note-background
expect_pixel "$s" 594 546 160,224,255 "note background"
pass "note menu: Change Background color"

right_click 574 540
with_keys 1 # "Change color"
answer_colour "#008000"
look note-colour
[ "$(count_colour "$s" 45x15+552+533 008000)" -ge 20 ] || fail "note text did not turn green"
pass "note menu: Change color"

right_click 574 540
with_pointer 3 5 # "Transparent Background color"
look note-transparent
expect_pixel "$s" 594 546 "$(pixel "$before" 594 546)" "transparent note"
[ "$(count_colour "$s" 45x15+552+533 008000)" -ge 20 ] || fail "transparent note lost its text"
pass "note menu: Transparent Background color"

move_to 574 540 # hovering shows the box again
right_click 574 540
with_keys 4 # "Change background color"
answer_colour "#ffd0e0"
look note-opaque
expect_pixel "$s" 594 546 255,208,224 "opaque note background"
pass "note menu: Change background color"

right_click 574 540
with_pointer 2 5 # "Delete"
look note-deleted
for p in "594 546" "551 532" "690 510"; do
    expect_pixel "$s" $p "$(pixel "$before" $p)" "deleted note"
done
pass "note menu: Delete"

orvane_alive || fail "orvane ended"
pass "all items of the three annotation menus"
