#!/usr/bin/env bash
# The tray menu on a StatusNotifierItem tray (swaybar): the item exports its menu
# over D-Bus with the items in order, "Start at login" as a check item; its
# "Open From file", "Open Form Screen" and "Exit" run when chosen there; a click
# on the icon in the bar opens the menu as a pop-up, never as a tiled window.
source "$(dirname "$0")/lib.sh"

start_orvane
wait_until 30 sni_item || fail "no tray item registered with the watcher"
wait_until 10 sni_menu || fail "the tray item exports no menu: Menu is $(sni_property Menu)"
want="Open From clipboard|Open From file|Open Form Screen|Show|About|Free For Commercial images|Start at login|Exit"
got=$(menu_items | cut -f2 | sed 's/ *$//' | paste -sd'|')
[ "$got" = "$want" ] || fail "the exported menu lists: $got"
[ "$(menu_items | awk -F'\t' '$2 == "Start at login" {print $3}')" = checkmark ] ||
    fail "\"Start at login\" is no check item in the exported menu"
pass "the tray item exports its menu: $(sni_property Menu)"

# tiled_windows: the program's windows that sway tiles (neither floating nor full screen).
tiled_windows() { orvane_windows_json | jq -c 'select(.floating == false and .fullscreen_mode == 0)'; }
look before-click
before="$s"
for button in 1 3; do
    click 1268 11 $button # the icon, at the right end of the bar
    sleep 1
    look "clicked-$button"
    [ -z "$(tiled_windows)" ] || { keep_shot tiled-menu; fail "button $button: a tiled window: $(tiled_windows)"; }
    changed=$(compare-im6.q16 -metric AE "$before" "$s" null: 2>&1)
    [ "${changed:-0}" -gt 500 ] || fail "button $button on the icon showed nothing ($changed pixels changed)"
    key Escape
    sleep 0.5
done
pass "a click on the icon shows the menu as a pop-up, not as a tiled window"

menu_choose "Open From file"
# The file dialog: the program's only window, shown.
dialog() { orvane_windows_json | any '.visible == true'; }
wait_until 10 dialog || { keep_shot no-dialog; fail "\"Open From file\" showed no dialog: $(orvane_windows_json)"; }
swaymsg -q "[pid=$ORVANE_PID] focus" # the user clicks into it
key Escape
wait_until 10 not dialog || fail "the file dialog stayed after Escape"
pass "\"Open From file\" from the exported menu asks for a file"

menu_choose "Open Form Screen"
wait_until 20 editor || { keep_shot no-measure; fail "\"Open Form Screen\" showed no editor"; }
wait_until 10 test -s "$WORK/portal.log" || fail "the screen copy did not come through the portal"
pass "\"Open Form Screen\" from the exported menu copies the screen through the portal"

menu_choose "Exit"
wait_until 15 not orvane_alive || fail "\"Exit\" from the exported menu left the program running"
wait_until 10 not sni_item || fail "the tray item stayed after Exit"
pass "\"Exit\" from the exported menu ends the program and takes its item away"
