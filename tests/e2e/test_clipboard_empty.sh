#!/usr/bin/env bash
# "Open From clipboard" with no picture on the clipboard: a message box titled
# "Orvane Tessaly" and nothing else; after it is dismissed no editor shows.
source "$(dirname "$0")/lib.sh"

start_orvane
wait_until 10 tray_icon_centre || fail "no tray icon"
sleep 0.5
read -r tx ty < <(tray_icon_centre)
click "$tx" "$ty" 1
wait_until 5 open_menu || fail "the tray menu did not open"
menu=$(open_menu)
read -r mx my mw mh < <(window_geometry "$menu")
click $(( mx + 40 )) $(( my + 10 ))  # the first item: "Open From clipboard"

message_box() {
    local id
    for id in $(orvane_windows); do
        [ "$id" != "$menu" ] || continue
        [ "$(xdotool getwindowname "$id")" = "Orvane Tessaly" ] || continue
        set -- $(window_geometry "$id")
        [ "$3" -gt 64 ] && [ "$3" -lt 800 ] && { echo "$id"; return 0; }
    done
    return 1
}
wait_until 5 message_box || fail "no message box"
editor_window >/dev/null && fail "the editor showed"
keep_shot clipboard-message
pass "a message box titled Orvane Tessaly, no editor"

xdotool windowactivate --sync "$(message_box)" 2>/dev/null || true
key Return
no_message_box() { ! message_box; }
wait_until 5 no_message_box || fail "the message box did not close"
sleep 0.5
editor_window >/dev/null && fail "the editor showed after the message"
orvane_alive || fail "the program ended"
pass "dismissed, nothing else changed"
