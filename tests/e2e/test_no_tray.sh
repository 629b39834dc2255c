#!/usr/bin/env bash
# Without a notification area the program shows a small window whose menu
# button opens the tray menu, and "Exit" from it ends the program. When a
# notification area appears later, the tray icon takes the window's place.
source "$(dirname "$0")/lib.sh"
source "$SRC/scripts/xvfb-session.sh" # start_tray_host

kill "$TRAYER_PID" 2>/dev/null
wait_until 5 not kill -0 "$TRAYER_PID" || fail "the tray host did not end"
sleep 0.5

stand_in() { window_where 150 600 30 120; }
# The menu: a window besides the stand-in, tall enough for the tray menu's items.
menu_window() {
    local id x y w h
    for id in $(orvane_windows); do
        read -r x y w h < <(window_geometry "$id")
        [ "$id" != "$1" ] && [ "$w" -ge 60 ] && [ "$h" -ge 100 ] && { echo "$id"; return 0; }
    done
    return 1
}
start_orvane
wait_until 10 stand_in || fail "no window of the program without a notification area"
tray_icon_centre >/dev/null && fail "a tray icon without a notification area"
id=$(stand_in)
[ "$(xdotool getwindowname "$id")" = "Orvane Tessaly" ] || fail "the window's title"
read -r x y w h < <(window_geometry "$id")
keep_shot no-tray
# The menu button sits at the right end of the window.
click $((x + w - 40)) $((y + h / 2))
wait_until 5 menu_window "$id" || { keep_shot no-menu; fail "the menu button opened no menu"; }
keep_shot no-tray-menu
for _ in $(seq 8); do key Down; done # "Exit"
key Return
wait_until 10 not orvane_alive || fail "Exit from the window's menu did not end the program"
pass "without a notification area: a window, its menu, Exit ends the program"

start_orvane
wait_until 10 stand_in || fail "no window at the second start"
start_tray_host "$WORK"
wait_until 20 tray_icon_centre || fail "no tray icon after a notification area appeared"
wait_until 5 not stand_in || fail "the window stayed after the tray icon appeared"
orvane_alive || fail "the program ended"
pass "a notification area appearing later gets the icon and the window goes"
