#!/usr/bin/env bash
# A colour pick on the picture: a leader from the picked point bending into a
# horizontal leg, the swatch filled with the picked colour at its end and the
# colour code label beside it.
source "$(dirname "$0")/lib.sh"

start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
before="$WORK/before.png"
shot "$before"
picked=$(pixel "$before" 365 265)
[ "$picked" != 255,255,255 ] || fail "the sample has no colour at the pick point"
click 25 119  # the colour-pick tool
drag 365 265 545 305
move_to 900 700
sleep 0.5
s="$WORK/colour.png"
shot "$s"

red=255,0,0
# First leg at 45 degrees to the pointer's height, then horizontal to the pointer.
expect_pixel "$s" 385 285 $red "first leg"
expect_pixel "$s" 450 305 $red "second leg"
# Swatch: 9 x 9 pixels from the pointer, its top half a label height above it.
expect_pixel "$s" 545 298 0,0,0 "swatch border"
expect_pixel "$s" 549 302 "$picked" "swatch colour"
# Code label right of the swatch, lifted 40 twips.
expect_pixel "$s" 554 295 255,255,192 "code label"
reds=$("$IM_CONVERT" "$s" -crop "60x12+554+296" -depth 8 txt:- | grep -c '#FF0000')
[ "$reds" -ge 20 ] || fail "no code text on the label"
orvane_alive || fail "orvane ended"
pass "colour marker with swatch $picked and its code label"
