#!/usr/bin/env bash
# A quoted path on the command line opens the editor at once, screen-sized and
# titled "Orvane Tessaly"; the tray icon is there too.
source "$(dirname "$0")/lib.sh"

start_orvane "\"$SRC/resources/sample/sample.png\""
wait_until 10 editor_window || fail "the editor did not open for a path"
id=$(editor_window)
read -r ex ey ew eh < <(window_geometry "$id")
[ "$ew" = 1280 ] && [ "$eh" = 800 ] || fail "editor is ${ew}x${eh}"
[ "$(xdotool getwindowname "$id")" = "Orvane Tessaly" ] || fail "editor title"
wait_until 5 tray_icon_centre || fail "no tray icon"
sleep 1
keep_shot editor
pass "editor opened for a quoted path"
