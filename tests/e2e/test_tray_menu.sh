#!/usr/bin/env bash
# Started without an argument only the tray icon shows; a left and a right
# click on it open the tray menu at the pointer; "Show" brings up the
# full-screen editor titled "Orvane Tessaly"; "Exit" ends the program and
# takes the icon away.
source "$(dirname "$0")/lib.sh"

start_orvane
wait_until 10 tray_icon_centre || fail "no tray icon"
sleep 0.5
editor_window >/dev/null && fail "the editor shows although no path was given"
read -r tx ty < <(tray_icon_centre)
pass "tray icon at $tx,$ty, no editor"

for button in 1 3; do
    click "$tx" "$ty" "$button"
    wait_until 5 open_menu || fail "button $button on the icon opened no menu"
    read -r mx my mw mh < <(window_geometry "$(open_menu)")
    # Seven items, opened next to the pointer.
    [ "$mh" -ge 100 ] || fail "tray menu too small for seven items (${mw}x${mh})"
    [ $(( mx - tx )) -le 300 ] && [ $(( my - ty )) -le 40 ] || fail "menu not at the pointer"
    [ "$button" = 1 ] && keep_shot tray-menu
    key Escape
    wait_until 5 no_menu || fail "menu did not close"
    pass "button $button opens the tray menu"
done

# "Show" (fourth item) brings up the editor.
click "$tx" "$ty" 1
wait_until 5 open_menu || fail "menu did not open"
key Down Down Down Down Return
wait_until 10 editor_window || fail "Show did not bring up the editor"
id=$(editor_window)
read -r ex ey ew eh < <(window_geometry "$id")
[ "$ew" = 1280 ] && [ "$eh" = 800 ] && [ "$ex" = 0 ] && [ "$ey" = 0 ] ||
    fail "editor is ${ew}x${eh}+${ex}+${ey}, not the screen"
[ "$(xdotool getwindowname "$id")" = "Orvane Tessaly" ] || fail "editor title"
pass "Show brings up the screen-sized editor"

# Hide it with its own button so the tray host is reachable, then Exit.
xdotool windowunmap "$id"
sleep 0.3
click "$tx" "$ty" 1
wait_until 5 open_menu || fail "menu did not open for Exit"
key Up Return
wait_until 10 orvane_gone || fail "Exit did not end the program"
sleep 0.3
tray_icon_centre >/dev/null && fail "tray icon still there after Exit"
pass "Exit ends the program and removes the icon"
