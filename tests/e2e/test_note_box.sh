#!/usr/bin/env bash
# The note tool: a press shows a note box, the drag lays a leader from the
# press point and puts the box at its end, centred on the leader's height.
source "$(dirname "$0")/lib.sh"

start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
click 25 159  # the note tool
drag 600 300 450 340
move_to 900 700
sleep 0.5
s="$WORK/note.png"
shot "$s"

red=255,0,0
expect_pixel "$s" 580 320 $red "first leg (up-right of the bend)"
expect_pixel "$s" 520 340 $red "second leg"
# The box: 49 x 19 pixels from the leader's end, light yellow.
box=255,255,192
expect_pixel "$s" 450 331 $box "note box top-left"
expect_pixel "$s" 498 349 $box "note box bottom-right"
[ "$(pixel "$s" 449 340)" != $box ] && [ "$(pixel "$s" 499 340)" != $box ] ||
    fail "note box is not 49 pixels wide from the leader's end"
reds=$("$IM_CONVERT" "$s" -crop "45x15+452+333" -depth 8 txt:- | grep -c '#FF0000')
[ "$reds" -ge 20 ] || fail "no TEXT in the note box"
orvane_alive || fail "orvane ended"
pass "note box at the leader's end"
