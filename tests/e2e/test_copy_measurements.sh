#!/usr/bin/env bash
# Every mark can be reached, and what the marks say is handed on as text: a click
# without a drag in the distance tool leaves no dot; the canvas menu's "Copy
# measurements" and Ctrl+Shift+C put one line per annotation on the clipboard,
# with the same annotations as application/json beside it.
source "$(dirname "$0")/lib.sh"

clipboard() { xclip -o -selection clipboard 2>/dev/null; }
clip_is() { [ "$(clipboard)" = "$1" ]; }

command -v xclip >/dev/null || fail "xclip is not installed"
start_orvane "$SRC/resources/sample/sample.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
move_to 1000 760
sleep 0.3
before="$WORK/before.png"
shot "$before"

click 25 79                 # the distance tool
click 400 420               # a click without a drag
drag 100 300 300 310        # a horizontal marker, 201 px
move_to 1000 760
sleep 0.4
shot "$WORK/drawn.png"
[ "$(pixel "$WORK/drawn.png" 400 420)" = "$(pixel "$before" 400 420)" ] ||
    { keep_shot dot; fail "a click without a drag left a mark at (400,420)"; }

# The canvas menu copies the measurements.
printf 'old' | xclip -selection clipboard
wait_until 3 clip_is old || fail "could not set the clipboard"
canvas_menu() { window_where 60 600 10 200; } # one item: lower than the other menus
click 600 600 3
wait_until 3 canvas_menu || { keep_shot no-menu; fail "no canvas menu opened"; }
menu=$(canvas_menu)
read -r mx my mw mh < <(window_geometry "$menu")
click $((mx + 40)) $((my + mh / 2))
line='distance 1: 201px horizontal from (*) to (*)'
copied() { [[ "$(clipboard)" == $line ]]; }
wait_until 3 copied || { keep_shot menu-copy; fail "clipboard holds '$(clipboard)'"; }
[ "$(clipboard | wc -l)" -eq 0 ] || fail "more than one line: '$(clipboard)'"
xclip -o -selection clipboard -t application/json | grep -q '"format":"orvane-measurements"' ||
    fail "no JSON beside the text: $(xclip -o -selection clipboard -t TARGETS)"
pass "canvas menu: $(clipboard)"

# Ctrl+Shift+C does the same.
printf 'old' | xclip -selection clipboard
wait_until 3 clip_is old || fail "could not set the clipboard"
xdotool windowactivate --sync "$(editor_window)" 2>/dev/null || true
key ctrl+shift+c
wait_until 3 copied || fail "Ctrl+Shift+C: clipboard holds '$(clipboard)'"
pass "Ctrl+Shift+C: $(clipboard)"
