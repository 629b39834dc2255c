#!/usr/bin/env bash
# Edge-snapping in the distance tool: over a picture with a known 240 x 130 box,
# holding Alt shows both spans; Alt + click keeps them as two distance markers;
# the saved picture has a horizontal line from the box's left edge to its right
# edge and a vertical one from its top to its bottom, to the pixel.
source "$(dirname "$0")/lib.sh"

red=255,0,0
ox=57 oy=49 # the canvas's top-left corner on the screen
picture="$WORK/box.png"
"$IM_CONVERT" -size 400x260 xc:white -fill '#6C5CE7' -draw 'rectangle 50,40 289,169' "$picture"
start_orvane "$picture"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1

click 25 79 # the distance tool
move_to $((ox + 170)) $((oy + 100))
xdotool keydown alt
sleep 0.2
xdotool mousemove $((ox + 171)) $((oy + 100))
sleep 0.4
s="$WORK/guides.png"
shot "$s"
guide=$(pixel "$s" $((ox + 120)) $((oy + 100)))
[ "$guide" != "108,92,231" ] || { keep_shot no-guides; fail "no guide on the pointer's row"; }
[ "$(pixel "$s" $((ox + 171)) $((oy + 60)))" = "$guide" ] || fail "no guide in the pointer's column"
[ "$(pixel "$s" $((ox + 20)) $((oy + 100)))" = 255,255,255 ] || fail "the guide runs past the box"
pass "Alt shows the guides through the pointer"

xdotool click 1
sleep 0.3
xdotool keyup alt
move_to 1000 760
sleep 0.4

saved="$HOME/Desktop/snapped.PNG"
save_dialog() { xdotool search --onlyvisible --name "^Save As\$" | grep -m 1 .; }
click 1122 21 # the save button
wait_until 10 save_dialog || { keep_shot no-dialog; fail "no save dialog"; }
xdotool windowactivate --sync "$(save_dialog)" 2>/dev/null || true
sleep 0.3
key ctrl+a # the offered name, the picture's own, gives way to the typed path
type_text "$HOME/Desktop/snapped"
key Return
wait_until 10 test -s "$saved" || fail "nothing saved as snapped.PNG"

at() { pixel "$saved" "$1" "$2"; }
# The horizontal marker on row 100: from column 50 to column 289, not beyond.
for x in 50 60 120 250 289; do [ "$(at $x 100)" = $red ] || fail "no line at ($x,100)"; done
for x in 48 49 290 291; do [ "$(at $x 100)" != $red ] || fail "line runs on to ($x,100)"; done
# The vertical marker in column 171: from row 40 to row 169.
for y in 40 50 80 150 169; do [ "$(at 171 $y)" = $red ] || fail "no line at (171,$y)"; done
for y in 38 39 170 171; do [ "$(at 171 $y)" != $red ] || fail "line runs on to (171,$y)"; done
orvane_alive || fail "orvane ended"
pass "Alt + click keeps both spans as distance markers from edge to edge"
