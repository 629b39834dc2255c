#!/usr/bin/env bash
# The notification area going and coming back while the program runs: with
# swaybar ended, the stand-in window appears (the only way in left), and when a
# bar with a tray is back, the stand-in goes and the tray item is registered again.
source "$(dirname "$0")/lib.sh"

start_orvane
wait_until 30 sni_item || fail "no tray item registered with the watcher"
[ -z "$(orvane_windows_json)" ] || fail "a window with the tray there: $(orvane_windows_json)"

# swaybar owns the watcher on this session's bus: its process is the one to end.
bar=$(busctl --user status org.kde.StatusNotifierWatcher 2>/dev/null | sed -n 's/^PID=//p')
[ -n "$bar" ] || fail "no process owns the watcher"
kill "$bar"
stand_in() { orvane_windows_json | any '.visible == true and .name == "Orvane Tessaly"'; }
wait_until 10 stand_in || { keep_shot no-stand-in; fail "no stand-in window after the tray went"; }
pass "the stand-in window appears when the tray goes away"

swaymsg -q reload # starts the bar again
wait_until 20 sni_item || { keep_shot no-item; fail "the tray item was not registered again"; }
wait_until 10 not stand_in || fail "the stand-in stayed with the tray back: $(orvane_windows_json)"
orvane_alive || fail "the program ended"
pass "with the tray back, the stand-in goes and the item is registered again"
