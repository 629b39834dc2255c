#!/usr/bin/env bash
# Choosing the distance tool and dragging on a picture leaves a red segment
# snapped to the horizontal through the press point, an 11-pixel end tick at
# each end and the length label above the middle, as a user sees it.
source "$(dirname "$0")/lib.sh"

start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
click 25 79  # the distance tool
drag 100 300 300 310
move_to 900 700
sleep 0.5
s="$WORK/distance.png"
shot "$s"

red=255,0,0
expect_pixel "$s" 150 300 $red "segment"
expect_pixel "$s" 299 300 $red "segment end"
[ "$(pixel "$s" 150 301)" != $red ] || fail "segment is thicker than a pixel"
[ "$(pixel "$s" 250 310)" != $red ] || fail "segment did not snap to the horizontal"
for x in 100 300; do
    expect_pixel "$s" $x 295 $red "tick top at $x"
    expect_pixel "$s" $x 305 $red "tick bottom at $x"
    [ "$(pixel "$s" $x 294)" != $red ] && [ "$(pixel "$s" $x 306)" != $red ] ||
        fail "tick at $x reaches beyond 5 pixels"
done

# The label: opaque light yellow from the middle of the segment, 100 twips
# (6.67 pixels) above the line, with red text on it.
label=255,255,192
expect_pixel "$s" 200 293 $label "label's top-left corner"
[ "$(pixel "$s" 199 293)" != $label ] || fail "label starts left of the middle"
[ "$(pixel "$s" 200 292)" != $label ] || fail "label starts above its place"
right=200
while [ "$(pixel "$s" $((right + 1)) 294)" = $label ] && [ $right -lt 300 ]; do right=$((right + 1)); done
width=$((right - 199))
[ $width -ge 28 ] && [ $width -le 44 ] || fail "label is $width pixels wide, not that of \"201px\""
reds=$("$IM_CONVERT" "$s" -crop "${width}x12+200+294" -depth 8 txt:- | grep -c '#FF0000')
[ "$reds" -ge 20 ] || fail "no red text on the label ($reds red pixels)"
orvane_alive || fail "orvane ended"
pass "distance marker drawn: segment, ticks and a ${width}-pixel label"
