#!/usr/bin/env bash
# Panning in the move tool moves the picture with the pointer, and what the
# window shows after the pan (drawn by moving pixels) is exactly what a full
# repaint of the same state shows.
source "$(dirname "$0")/lib.sh"

# A picture smaller than the window, so the pan uncovers the window's backdrop.
"$IM_CONVERT" -size 300x200 gradient:red-blue "$WORK/small.png"
start_orvane "$WORK/small.png"
wait_until 10 editor_window || fail "no editor"
sleep 1.5
id=$(editor_window)
shot "$WORK/before.png"
before=$(pixel "$WORK/before.png" 300 200)

# The move tool is the one a fresh editor starts in; drag in steps.
drag 200 200 130 150
drag 130 150 180 130
sleep 0.5
shot "$WORK/after-pan.png"
# Moved by (-20, -70) in all: the pixel from (300,200) is now at (280,130).
expect_pixel "$WORK/after-pan.png" 280 130 "$before" "panned picture"

# A full repaint of the same state.
xdotool windowunmap --sync "$id"
xdotool windowmap --sync "$id"
sleep 1
shot "$WORK/repainted.png"
diff=$(compare -metric AE "$WORK/after-pan.png" "$WORK/repainted.png" /dev/null 2>&1 || true)
# The magnifier follows the pointer and may differ; nothing else may.
masked() { "$IM_CONVERT" "$1" -fill black -draw "rectangle 60,348 135,423" "$2"; }
masked "$WORK/after-pan.png" "$WORK/a.png"
masked "$WORK/repainted.png" "$WORK/b.png"
diff=$(compare -metric AE "$WORK/a.png" "$WORK/b.png" /dev/null 2>&1 || true)
[ "$diff" = 0 ] || { keep_shot pan-mismatch; fail "after the pan $diff pixels differ from a full repaint"; }
pass "pan draws what a full repaint draws"
