#!/usr/bin/env bash
# The magnifier view in the editor shows the screen round the pointer four
# times enlarged: every screen pixel is a 4 x 4 block, the pointer's pixel sits
# inside the green frame, and the view follows the pointer over the canvas,
# over other windows and into the screen's corner. Dragging the view moves it.
source "$(dirname "$0")/lib.sh"

IM_COMPARE=compare-im6.q16

# The view's top-left corner on the screen (it starts at 960, 5280 twips).
vx=64
vy=352

# view_matches FILE X Y: the view in FILE shows the 16 x 16 screen pixels from
# (X - 7, Y - 7) of the same FILE, each as a 4 x 4 block (the frame left aside).
view_difference() {
    local frame="rectangle 27,27 32,32"
    "$IM_CONVERT" "$1" -crop "16x16+$(($2 - 7))+$(($3 - 7))" +repage -sample 400% \
        -fill black -draw "$frame" "$WORK/want.png"
    "$IM_CONVERT" "$1" -crop "64x64+$vx+$vy" +repage -fill black -draw "$frame" "$WORK/got.png"
    "$IM_COMPARE" -metric AE "$WORK/want.png" "$WORK/got.png" null: 2>&1
}
view_matches() {
    local diff
    diff=$(view_difference "$@")
    [ "$diff" = 0 ] || { keep_shot "magnifier-$2-$3"; fail "view differs from the screen round ($2,$3) in $diff pixels"; }
}
# look X Y NAME: puts the pointer at (X, Y) and takes a screenshot ($s) once the
# view has refreshed there (a slow build may need several refreshes).
look() {
    move_to "$1" "$2"
    s="$WORK/$3.png"
    for _ in $(seq 30); do
        sleep 0.3
        shot "$s"
        [ "$(view_difference "$s" "$1" "$2")" = 0 ] && return 0
    done
}
# look_for SECONDS X Y NAME: the same where the view cannot be compared that way.
look_for() {
    move_to "$2" "$3"
    sleep "$1"
    s="$WORK/$4.png"
    shot "$s"
}

start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1

look 636 460 bar
view_matches "$s" 636 460
expect_pixel "$s" $((vx + 27)) $((vy + 27)) 0,255,0 "pointer frame"
expect_pixel "$s" $((vx + 28)) $((vy + 28)) "$(pixel "$s" 636 460)" "pointer pixel in the frame"
cp "$s" "$WORK/first.png"
pass "each screen pixel is a 4 x 4 block, the pointer's pixel framed"

look 637 460 moved
view_matches "$s" 637 460
"$IM_CONVERT" "$WORK/first.png" -crop "56x64+$((vx + 4))+$vy" +repage -fill black \
    -draw "rectangle 19,23 32,36" "$WORK/a.png"
"$IM_CONVERT" "$s" -crop "56x64+$vx+$vy" +repage -fill black -draw "rectangle 19,23 32,36" \
    "$WORK/b.png"
[ "$("$IM_COMPARE" -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1)" = 0 ] ||
    fail "a one-pixel move did not shift the view by 4 pixels"
[ "$("$IM_COMPARE" -metric AE "$WORK/first.png" "$s" null: 2>&1)" != 0 ] || fail "view did not change"
pass "a one-pixel pointer move shifts the view by 4 view pixels"

read -r tx ty <<<"$(tray_icon_centre)" || fail "no tray icon"
look "$tx" "$ty" tray
view_matches "$s" "$tx" "$ty"
pass "the view follows the pointer over the tray"

look_for 1.5 0 0 corner
"$IM_CONVERT" "$s" -crop "27x27+$vx+$vy" +repage -depth 8 txt:- | tail -n +2 |
    grep -qv '#000000' && fail "the view is not black left of and above the screen"
for d in 0 3; do
    expect_pixel "$s" $((vx + 28 + d)) $((vy + 28 + d)) "$(pixel "$s" 0 0)" "screen corner pixel"
done
expect_pixel "$s" $((vx + 27)) $((vy + 27)) 0,255,0 "pointer frame at the corner"
pass "at the screen's corner the view still shows the pointer's pixel, black beyond"

drag $((vx + 40)) $((vy + 40)) $((vx + 340)) $((vy + 140))
look_for 1.5 636 460 dragged
frame=$("$IM_CONVERT" "$s" -depth 8 txt:- | grep -m 1 '#00FF00' | cut -d: -f1)
fx=${frame%,*}
fy=${frame#*,}
[ "$fx" -ge $((vx + 27 + 200)) ] && [ "$fy" -ge $((vy + 27 + 60)) ] ||
    fail "the view did not move with the drag (frame at $frame)"
vx=$((fx - 27))
vy=$((fy - 27))
view_matches "$s" 636 460
orvane_alive || fail "orvane ended"
pass "the view was dragged to ($vx,$vy) and keeps magnifying"
