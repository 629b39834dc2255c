#!/usr/bin/env bash
# The annotations as a user makes them on the sample picture: a distance marker,
# a colour marker and a note (typed on two lines) drawn at their pixels; the
# canvas saved as PNG through the dialog equals what the screen shows; items of
# the three annotation menus, chosen with the pointer or the keyboard, through the
# real colour dialog and clipboard; a pan afterwards draws what a full repaint draws.
source "$(dirname "$0")/lib.sh"

red=255,0,0 ldefault=255,255,192
# reds WxH+X+Y: pure red pixels (label text) in the area of $s.
reds() { count_colour "$s" "$1" FF0000; }
# label_right X Y R,G,B: the last x from X on row Y of $s that still has that colour.
label_right() {
    "$IM_CONVERT" "$s" -crop "400x1+$1+$2" -depth 8 txt:- | tail -n +2 |
        awk -v x="$1" -v c="($3)" '$2 != c {print x + NR - 2; exit}'
}
# menu_at X Y INDEX COUNT [keys]: right-clicks (X, Y) and chooses item INDEX (from 0)
# of the menu of COUNT items with the pointer, or with Down and Return.
menu_at() {
    click "$1" "$2" 3
    wait_until 3 open_menu || { keep_shot no-menu; fail "no menu opened at ($1,$2)"; }
    local menu
    menu=$(open_menu)
    # A menu just shown on a loaded machine may not take input yet.
    sleep 0.3
    menu_closed() { ! xwininfo -id "$menu" 2>/dev/null | grep -q IsViewable; }
    choose() { # INDEX COUNT MODE
        if [ "$3" = keys ]; then
            for _ in $(seq 0 "$1"); do key Down; done
            key Return
        else
            set -- "$1" "$2" $(window_geometry "$menu")
            click $(($3 + 40)) $(($4 + (2 * $1 + 1) * $6 / (2 * $2)))
        fi
    }
    choose "$3" "$4" "${5:-}"
    # The choice went nowhere if the menu still stands: once more, then it fails.
    wait_until 5 menu_closed || { choose "$3" "$4" "${5:-}"; wait_until 5 menu_closed; } ||
        fail "menu still open after choosing an item"
}
titled() { xdotool search --onlyvisible --name "^$1\$" | grep -m 1 .; } # TITLE: its window
colour_dialog() { titled "Select Color"; }
# answer_colour HEX: types the colour into the colour dialog's HTML field and confirms.
answer_colour() {
    wait_until 5 colour_dialog || { keep_shot no-dialog; fail "the colour dialog did not open"; }
    sleep 0.3
    key alt+h
    key ctrl+a
    type_text "$1"
    key Return
    wait_until 3 not colour_dialog || fail "the colour dialog stayed open"
}
# differ A B: pixels in which screenshots A and B differ, leaving out the magnifier
# view (it follows the pointer and lies over the canvas, but is no part of it).
differ() {
    local m="rectangle 60,348 135,423"
    "$IM_CONVERT" "$1" -fill black -draw "$m" "$WORK/a.png"
    "$IM_CONVERT" "$2" -fill black -draw "$m" "$WORK/b.png"
    compare-im6.q16 -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1
}
clipboard() { xclip -o -selection clipboard 2>/dev/null; }
clip_is() { [ "$(clipboard)" = "$1" ]; }
copied() { wait_until 3 clip_is "$1" || fail "clipboard holds '$(clipboard)', not $1"; }

command -v xclip >/dev/null || fail "xclip is not installed"
start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
look before
before="$s"
was() { pixel "$before" "$1" "$2"; }

# ---- Drawing: distance 100..300 on row 300, colour picked at (365, 265), note at (550, 540)
click 25 79
drag 100 300 300 310
click 25 159
drag 700 500 550 540
click 25 119
drag 365 265 545 305
look drawn
drawn="$s"
for p in "150 300" "299 300" "100 295" "100 305" "300 295" "300 305"; do
    expect_pixel "$s" $p $red "distance segment or tick"
done
for p in "150 301" "250 310" "100 294" "100 306"; do
    [ "$(pixel "$s" $p)" != $red ] || fail "red at ($p): thick, unsnapped or long ticks"
done
# The label "201px": from the middle of the segment, 100 twips above the line.
expect_pixel "$s" 200 293 $ldefault "distance label's top-left corner"
[ "$(pixel "$s" 199 293)" != $ldefault ] && [ "$(pixel "$s" 200 292)" != $ldefault ] ||
    fail "distance label starts before its place"
width=$(($(label_right 200 294 $ldefault) - 199))
[ $width -ge 28 ] && [ $width -le 44 ] || fail "label is $width pixels wide, not that of \"201px\""
[ "$(reds ${width}x12+200+294)" -ge 20 ] || fail "no red text on the distance label"

picked=$(was 365 265)
[ "$picked" != 255,255,255 ] || fail "the sample has no colour at the pick point"
expect_pixel "$s" 385 285 $red "colour leader's first leg (45 degrees)"
expect_pixel "$s" 450 305 $red "colour leader's second leg"
expect_pixel "$s" 545 298 0,0,0 "swatch border"
expect_pixel "$s" 549 302 "$picked" "swatch colour"
expect_pixel "$s" 554 295 $ldefault "code label"
[ "$(reds 60x12+554+296)" -ge 20 ] || fail "no code text on the label"

expect_pixel "$s" 680 520 $red "note leader's first leg"
expect_pixel "$s" 620 540 $red "note leader's second leg"
expect_pixel "$s" 550 531 $ldefault "note box top-left"
expect_pixel "$s" 598 549 $ldefault "note box bottom-right"
[ "$(pixel "$s" 549 540)" != $ldefault ] && [ "$(pixel "$s" 599 540)" != $ldefault ] ||
    fail "note box is not 49 pixels wide from the leader's end"
[ "$(reds 45x15+552+533)" -ge 20 ] || fail "no TEXT in the note box"
pass "distance marker, colour marker and note drawn at their pixels"

# ---- Saving: a name without extension gets ".PNG"; the file is the canvas as shown.
saved="$HOME/Desktop/annotated.PNG"
save_dialog() { titled "Save As"; }
# Two windows of that title: the dialog and its question before replacing a file.
replace_question() { [ "$(xdotool search --onlyvisible --name '^Save As$' | wc -l)" -ge 2 ]; }
save_as() { # PATH [yes]: types PATH over the offered name; "yes" answers the question Yes
    click 1122 21 # the save button, fifth from the right
    wait_until 10 save_dialog || fail "no save dialog"
    xdotool windowactivate --sync "$(save_dialog)" 2>/dev/null || true
    sleep 0.3
    key ctrl+a
    type_text "$1"
    key Return
    if [ "${2:-}" = yes ]; then
        wait_until 10 replace_question || { keep_shot no-question; fail "replacing asked nothing"; }
        sleep 0.3
        key alt+y
    fi
    wait_until 10 not save_dialog || { keep_shot dialog; fail "the dialog stayed open"; }
}
save_as "$HOME/Desktop/annotated"
wait_until 10 test -s "$saved" || fail "nothing saved on the desktop as annotated.PNG"
got=$(identify-im6.q16 -format "%m %wx%h" "$saved")
[ "$got" = "PNG 1280x800" ] || fail "not a 1280x800 PNG: $got"
"$IM_CONVERT" "$drawn" "$saved" -geometry +57+49 -composite "$WORK/as-saved.png"
diff=$(differ "$drawn" "$WORK/as-saved.png")
[ "$diff" = 0 ] || fail "$diff saved pixels differ from the canvas on screen"
stamp=$(stat -c %Y.%i "$saved")
sleep 1.1
save_as "$HOME/Desktop/annotated.PNG" yes
sleep 0.5
[ "$(stat -c %Y.%i "$saved")" != "$stamp" ] || fail "the existing file was not replaced"
pass "saved as the canvas shows it; saving again asks, and Yes replaces the file"

# ---- The same markup as SVG: the canvas's size, one named group per annotation, labels as
# text; another renderer draws its picture and level lines on the pixels the PNG has them.
svg="$HOME/Desktop/annotated.svg"
save_as annotated.svg
wait_until 10 test -s "$svg" || fail "nothing saved on the desktop as annotated.svg"
grep -q 'viewBox="0 0 1280 800"' "$svg" || fail "the SVG is not the canvas's size"
groups=$(grep -o '<g id="[a-z]*-[0-9]*"' "$svg" | tr '\n' ' ')
[ "$groups" = '<g id="distance-1" <g id="colour-2" <g id="note-1" ' ] ||
    fail "not one group per annotation: $groups"
tr -d '\n' <"$svg" | grep -q '<text[^>]*>[0-9]*px</text>' || fail "the length label is not text"
rsvg-convert -f png -o "$WORK/svg.png" "$svg" || fail "rsvg-convert cannot draw the SVG"
for p in "93 251" "563 491" "10 10"; do # the distance line, the note leader's foot, the picture
    [ "$(pixel "$WORK/svg.png" $p)" = "$(pixel "$saved" $p)" ] || fail "SVG differs at $p"
done
pass "saved as SVG: one group per annotation, labels as text, lines where the PNG has them"

click 570 540 # into the note
key ctrl+a
type_text "Hello note"
key Return
type_text "second line"

# ---- Distance marker menu (label at 200, 293)
menu_at 215 299 0 5 # "Change the line color"
answer_colour "#00a0ff"
look distance-line-colour
for p in "150 300" "299 300" "100 296" "300 304"; do expect_pixel "$s" $p 0,160,255 recoloured; done
[ "$(count_colour "$s" 36x12+200+294 00A0FF)" -ge 20 ] || fail "label text did not take the colour"
menu_at 215 299 4 5 # "Custom text"
sleep 0.4
shot "$s"
[ "$(count_colour "$s" 36x12+200+294 FF8080)" -ge 150 ] || fail "no edit box over the label"
key ctrl+a
type_text "a much wider text"
key Return
look distance-custom-text
[ "$(label_right 201 294 $ldefault)" -ge 280 ] || fail "label did not grow to the custom text"
[ "$(count_colour "$s" 36x12+200+294 FF8080)" = 0 ] || fail "the edit box stayed open"
menu_at 215 299 1 5 keys # "Delete"
look distance-deleted
for p in "150 300" "100 296" "300 304" "230 299"; do expect_pixel "$s" $p "$(was $p)" deleted; done
pass "distance marker menu: line colour, custom text, delete"

# ---- Colour marker menu (code label at 554, 295)
web_right=$(label_right 554 296 $ldefault)
IFS=, read -r r g b <<<"$picked"
menu_at 575 300 2 8 keys # "Copy color code"
copied "$(printf '#%02X%02X%02X' "$r" "$g" "$b")"
menu_at 575 300 4 8 # "RGB color"
look colour-rgb
[ "$(label_right 554 296 $ldefault)" -gt $((web_right + 15)) ] || fail "no RGB text on the label"
menu_at 575 300 2 8
copied "R$r,G$g,B$b"
menu_at 575 300 1 8 keys # "Delete"
look colour-deleted
for p in "549 302" "545 298" "385 285" "450 305" "575 300"; do
    expect_pixel "$s" $p "$(was $p)" "deleted colour marker"
done
pass "colour marker menu: the copied codes are the picked pixel's; delete"

# ---- Note menu (box from 550, 531)
menu_at 574 540 0 5 # "Change Background color"
answer_colour "#a0e0ff"
look note-background
expect_pixel "$s" 594 546 160,224,255 "note background"
menu_at 574 540 1 5 keys # "Change color": green text, apart from the red leader
answer_colour "#008000"
look note-colour
[ "$(count_colour "$s" 45x15+552+533 008000)" -ge 20 ] || fail "note text did not turn green"
menu_at 574 540 3 5 # "Transparent Background color"
look note-transparent
[ "$(count_colour "$s" 130x60+540+520 A0E0FF)" = 0 ] || fail "the box shows after leaving"
for line in 537 551; do
    [ "$(count_colour "$s" 140x12+550+$line 008000)" -ge 20 ] || fail "no text at row $line"
done
move_to 570 545
move_to 572 547
sleep 0.3
shot "$s"
[ "$(count_colour "$s" 130x60+540+520 A0E0FF)" -ge 1200 ] || fail "hovering does not show the box"
look note-left
[ "$(count_colour "$s" 130x60+540+520 A0E0FF)" = 0 ] || fail "the box stays after leaving again"
move_to 572 547 # hovering shows the box again
sleep 0.3
menu_at 574 540 2 5 # "Delete"
look note-deleted
for p in "594 546" "551 532" "690 510"; do expect_pixel "$s" $p "$(was $p)" "deleted note"; done
pass "note menu: a transparent note shows its box only while hovered; delete"

# ---- Pan with the move tool: drawn by moving pixels, equal to a full repaint.
click 25 199
drag 200 200 270 250 # the picture moves by (20, 70) in all, uncovering the backdrop
drag 270 250 220 270
look panned
expect_pixel "$s" 320 270 "$(was 300 200)" "panned picture"
id=$(editor_window)
xdotool windowunmap --sync "$id"
xdotool windowmap --sync "$id"
sleep 1
shot "$WORK/repainted.png"
diff=$(differ "$s" "$WORK/repainted.png")
[ "$diff" = 0 ] || fail "after the pan $diff pixels differ from a full repaint"
orvane_alive || fail "orvane ended"
pass "pan draws what a full repaint draws"
