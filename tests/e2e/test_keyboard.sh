#!/usr/bin/env bash
# The editor's keys as a user presses them: D draws distance markers, an arrow
# with Shift moves the clicked label 10 px, Delete removes its marker and Ctrl+Z
# brings it back; Escape during a drag leaves nothing drawn.
source "$(dirname "$0")/lib.sh"

pic="$WORK/white.png"
"$IM_CONVERT" -size 400x300 xc:white "$pic" || fail "could not make the picture"
cx=57 cy=49 # the canvas's top-left corner (850, 730 twips)

# reds_on_row Y: pure red pixels on canvas row Y of $s (a marker's line).
reds_on_row() { count_colour "$s" "300x1+$((cx + 40))+$((cy + $1))" FF0000; }
# label_box: where the length labels' background lies on the canvas, WxH+X+Y.
label_box() {
    "$IM_CONVERT" "$s" -crop "400x300+$cx+$cy" +repage -fill black +opaque "#FFFFC0" \
        -format '%@' info:
}

start_orvane "$pic"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
click $((cx + 380)) $((cy + 290)) # the move tool: the click only takes the keyboard
key d
drag $((cx + 50)) $((cy + 60)) $((cx + 250)) $((cy + 60))
look drawn
[ "$(reds_on_row 60)" -gt 150 ] || { keep_shot kb-drawn; fail "D then a drag drew no marker"; }
box=$(label_box)
read -r w h x y < <(echo "$box" | sed -E 's/[x+]/ /g')
[ "${w:-0}" -gt 10 ] || { keep_shot kb-label; fail "no length label found ($box)"; }
pass "D chooses the distance tool"

click $((cx + x + w / 2)) $((cy + y + h / 2))
key shift+Down
look moved
moved=$(label_box)
[ "$moved" = "${w}x${h}+${x}+$((y + 10))" ] ||
    { keep_shot kb-moved; fail "Shift+Down moved the label from $box to $moved"; }
[ "$(reds_on_row 60)" -gt 150 ] || fail "the line moved with its label"
pass "Shift+Down moves the clicked label 10 px"

key Delete
look deleted
[ "$(reds_on_row 60)" = 0 ] || { keep_shot kb-deleted; fail "Delete left the marker"; }
key ctrl+z
look undone
[ "$(reds_on_row 60)" -gt 150 ] || { keep_shot kb-undone; fail "Ctrl+Z did not bring the marker back"; }
pass "Delete removes the marker, Ctrl+Z brings it back"

move_to $((cx + 50)) $((cy + 200))
xdotool mousedown 1
for i in $(seq 8); do
    xdotool mousemove $((cx + 50 + 25 * i)) $((cy + 200))
    sleep 0.03
done
sleep 0.3
s="$WORK/held.png"
shot "$s"
[ "$(reds_on_row 200)" -gt 150 ] || { xdotool mouseup 1; fail "the held drag draws nothing"; }
# Without --clearmodifiers, which would let go of the held button first.
xdotool key Escape
sleep 0.1
xdotool mousemove $((cx + 300)) $((cy + 200))
sleep 0.1
xdotool mouseup 1
look escaped
[ "$(reds_on_row 200)" = 0 ] || { keep_shot kb-escaped; fail "Escape left the half-drawn marker"; }
[ "$(reds_on_row 60)" -gt 150 ] || fail "Escape took the earlier marker too"
orvane_alive || fail "orvane ended"
pass "Escape during a drag leaves nothing drawn"
