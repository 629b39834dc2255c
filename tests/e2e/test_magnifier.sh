#!/usr/bin/env bash
# The magnifier view shows the real screen round the pointer four times enlarged
# (each screen pixel a 4 x 4 block, the pointer's pixel in the green frame) over
# the canvas, over other windows and at the screen's corner; dragging moves it.
source "$(dirname "$0")/lib.sh"

vx=64 vy=352 # the view's top-left corner (960, 5280 twips)
frame="rectangle 27,27 32,32"

# view_difference FILE X Y: pixels in which the view in FILE differs from the
# 16 x 16 screen pixels from (X - 7, Y - 7) of FILE, each as a 4 x 4 block.
view_difference() {
    "$IM_CONVERT" "$1" -crop "16x16+$(($2 - 7))+$(($3 - 7))" +repage -sample 400% \
        -fill black -draw "$frame" "$WORK/want.png"
    "$IM_CONVERT" "$1" -crop "64x64+$vx+$vy" +repage -fill black -draw "$frame" "$WORK/got.png"
    compare-im6.q16 -metric AE "$WORK/want.png" "$WORK/got.png" null: 2>&1
}
# look X Y NAME: puts the pointer at (X, Y) and takes a screenshot ($s) until the
# view shows that place (a slow build, such as one with sanitizers, needs several
# refreshes); fails when it never does.
look() {
    move_to "$1" "$2"
    s="$WORK/$3.png"
    for _ in $(seq 30); do
        sleep 0.3
        shot "$s"
        [ "$(view_difference "$s" "$1" "$2")" = 0 ] && return 0
    done
    keep_shot "magnifier-$3"
    fail "view differs from the screen round ($1,$2) in $(view_difference "$s" "$1" "$2") pixels"
}
# look_for X Y NAME: the same where the view cannot be compared that way.
look_for() {
    move_to "$1" "$2"
    sleep 1.5
    s="$WORK/$3.png"
    shot "$s"
}

start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1

look 636 460 first
expect_pixel "$s" $((vx + 27)) $((vy + 27)) 0,255,0 "pointer frame"
expect_pixel "$s" $((vx + 28)) $((vy + 28)) "$(pixel "$s" 636 460)" "pointer pixel in the frame"
look 637 460 moved
[ "$(view_difference "$s" 636 460)" != 0 ] || fail "view did not change"
read -r tx ty <<<"$(tray_icon_centre)" || fail "no tray icon"
look "$tx" "$ty" tray
pass "each screen pixel is a 4 x 4 block round the pointer, also over the tray"

look_for 0 0 corner
"$IM_CONVERT" "$s" -crop "27x27+$vx+$vy" +repage -depth 8 txt:- | tail -n +2 |
    grep -qv '#000000' && fail "the view is not black left of and above the screen"
for d in 0 3; do
    expect_pixel "$s" $((vx + 28 + d)) $((vy + 28 + d)) "$(pixel "$s" 0 0)" "screen corner pixel"
done
expect_pixel "$s" $((vx + 27)) $((vy + 27)) 0,255,0 "pointer frame at the corner"
pass "at the screen's corner the view shows the pointer's pixel, black beyond"

drag $((vx + 40)) $((vy + 40)) $((vx + 340)) $((vy + 140))
look_for 636 460 dragged
frame_at=$("$IM_CONVERT" "$s" -depth 8 txt:- | grep -m 1 '#00FF00' | cut -d: -f1)
vx=$((${frame_at%,*} - 27)) vy=$((${frame_at#*,} - 27))
[ "$vx" -ge 264 ] && [ "$vy" -ge 412 ] || fail "view not dragged (frame at $frame_at)"
look 636 460 dragged
orvane_alive || fail "orvane ended"
pass "the view was dragged to ($vx,$vy) and keeps magnifying"
