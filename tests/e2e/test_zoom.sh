#!/usr/bin/env bash
# Zooming the canvas with Ctrl + wheel: the picture pixel under the pointer stays
# under it, and every picture pixel becomes a block of N x N screen pixels.
source "$(dirname "$0")/lib.sh"

# A picture whose pixel (x, y) has red 2x and green 2y: every pixel tells where it is.
pic="$WORK/grid.png"
"$IM_CONVERT" -size 120x90 xc:black -channel R -fx 'i*2/255' -channel G -fx 'j*2/255' \
    -channel B -fx "128/255" +channel -depth 8 "$pic" || fail "could not make the picture"

cx=57 cy=49 # the canvas's top-left corner (850, 730 twips)
start_orvane "$pic"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
px=30 py=20 # the picture pixel to zoom about
x=$((cx + px)) y=$((cy + py))
shot "$WORK/100.png"
want=$(pixel "$WORK/100.png" "$x" "$y")
[ "$want" = "$((2 * px)),$((2 * py)),128" ] || { keep_shot zoom-100; fail "picture pixel at 100 %: $want"; }

# run_length FILE X Y: how many pixels of the colour at (X, Y) lie within 40 pixels of it,
# across and down (every picture pixel has a colour of its own).
run_length() {
    local c=$(pixel "$1" "$2" "$3") area
    for area in "81x1+$(($2 - 40))+$3" "1x81+$2+$(($3 - 40))"; do
        "$IM_CONVERT" "$1" -crop "$area" -depth 8 txt:- | tail -n +2 |
            sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/' | grep -cx "$c"
    done | paste -sd' '
}

move_to "$x" "$y"
for zoom in 2 3 4; do
    xdotool keydown ctrl click 4 keyup ctrl
    sleep 0.6
    shot "$WORK/$zoom.png"
    got=$(pixel "$WORK/$zoom.png" "$x" "$y")
    [ "$got" = "$want" ] || { keep_shot "zoom-$zoom"; fail "at ${zoom}00 % the pointer is over $got, not $want"; }
    read -r across down < <(run_length "$WORK/$zoom.png" "$x" "$y")
    [ "$across" = "$zoom" ] && [ "$down" = "$zoom" ] ||
        { keep_shot "zoom-$zoom"; fail "at ${zoom}00 % a picture pixel is $across x $down"; }
done
pass "Ctrl + wheel zooms about the pointer in whole blocks (200, 300, 400 %)"

# Ctrl+0 goes back to one screen pixel per picture pixel, the canvas at its place.
key ctrl+0
sleep 0.5
shot "$WORK/back.png"
expect_pixel "$WORK/back.png" "$x" "$y" "$want" "picture pixel after Ctrl+0"
orvane_alive || fail "orvane ended"
pass "Ctrl+0 returns to 100 %"
