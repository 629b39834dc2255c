#!/usr/bin/env bash
# Thousands of hand-offs of missing files and of a real picture, sent as fast as possible
# while markup is on the canvas: the program stays up, never shows more than one box at a
# time, and once the boxes are answered with Escape the markup is still there.
source "$(dirname "$0")/lib.sh"

command -v xclip >/dev/null || fail "xclip is not installed"
[ -x "${HANDOFF_FLOOD:-}" ] || fail "HANDOFF_FLOOD must name the flood client"
clipboard() { xclip -o -selection clipboard 2>/dev/null; }
measurements() {
    printf 'old' | xclip -selection clipboard
    xdotool windowactivate --sync "$(editor_window)" 2>/dev/null || true
    key ctrl+shift+c
    copied() { [ "$(clipboard)" != old ]; }
    wait_until 5 copied || fail "Copy measurements put nothing on the clipboard"
    clipboard
}
# boxes: how many of orvane's boxes (windows smaller than the editor, not the tray icon) show.
boxes() {
    local id x y w h n=0
    for id in $(orvane_windows); do
        read -r x y w h < <(window_geometry "$id" 2>/dev/null)
        [ "${w:-0}" -ge 65 ] && [ "$w" -lt 1000 ] && [ "${h:-0}" -lt 700 ] && n=$((n + 1))
    done
    echo "$n"
}
box_up() { [ "$(boxes)" -gt 0 ]; }

"$IM_CONVERT" -size 400x300 plasma:fractal "$WORK/picture.png" || fail "cannot make a picture"
"$IM_CONVERT" -size 120x80 "xc:rgb(200,30,60)" "$WORK/other.png"
start_orvane "$WORK/picture.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
click 25 79          # the distance tool
drag 150 200 400 205
drag 200 250 210 420
before=$(measurements)
[ "$(printf '%s\n' "$before" | wc -l)" -eq 2 ] || fail "two markers expected: '$before'"

display="x-$DISPLAY"
socket="$XDG_RUNTIME_DIR/orvane-${display//[^A-Za-z0-9-]/_}"
[ -S "$socket" ] || fail "no socket at $socket"
flood() {
    "$HANDOFF_FLOOD" "$socket" 2500 8 "$WORK/missing.png" "$WORK/other.png" "/nowhere/x.png" \
        "\"$WORK/other.png\"" >>"$WORK/flood.log" 2>&1
}
# The first half while nothing is open; the second while the box the first opened is up.
flood
wait_until 10 box_up || { keep_shot no-box; fail "no box after the first 2500 hand-offs"; }
flood &
sender=$!
most=0
while kill -0 "$sender" 2>/dev/null; do
    n=$(boxes)
    [ "$n" -gt "$most" ] && most=$n
    [ "$n" -le 1 ] || { keep_shot boxes; fail "$n boxes at once during the flood"; }
    orvane_alive || fail "the program ended during the flood"
    sleep 0.1
done
wait "$sender"
[ "$(grep -c "2500 of 2500 answered" "$WORK/flood.log")" -eq 2 ] ||
    fail "hand-offs went unanswered: $(cat "$WORK/flood.log")"
orvane_alive || fail "the program ended after the flood"
[ "$(boxes)" -le 1 ] || fail "$(boxes) boxes at once after the flood"
pass "5000 hand-offs, half of them inside a box: all answered, never more than one box"

# Every box answered with Escape (Cancel keeps the markup) until none comes back.
answered=0
for _ in $(seq 60); do
    wait_until 3 box_up || break
    [ "$(boxes)" -le 1 ] || { keep_shot boxes-after; fail "$(boxes) boxes at once"; }
    for id in $(orvane_windows); do
        read -r x y w h < <(window_geometry "$id")
        [ "$w" -lt 1000 ] && [ "$w" -ge 65 ] && xdotool windowactivate --sync "$id" 2>/dev/null
    done
    shot "$WORK/box-$answered.png" # kept for a look with E2E_KEEP=1
    key Escape
    answered=$((answered + 1))
done
box_up && fail "boxes kept coming after $answered answers"
[ "$answered" -le 6 ] || fail "$answered boxes for one flood: hand-offs were not merged"
orvane_alive || fail "the program ended while the boxes were answered"
after=$(measurements)
[ "$after" = "$before" ] || fail "the markup changed: '$after' instead of '$before'"
pass "$answered boxes answered one after another; the markup is still '$after'"
