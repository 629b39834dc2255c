#!/usr/bin/env bash
# "Open Form Screen" from the tray menu: for about a second no window of the
# program shows, then the editor covers the screen with a still copy of it and
# no tool bars, and the tool strip sits at the top-right corner above it.
source "$(dirname "$0")/lib.sh"

# A screen with known content: a blue desktop with a yellow block.
"$IM_CONVERT" -size 1280x800 "xc:rgb(51,102,204)" -fill "rgb(250,200,0)" \
    -draw "rectangle 300,300 500,400" "$WORK/desktop.png" || fail "cannot make the desktop"
# (display reports 1 even when it painted the root window)
display-im6.q16 -window root "$WORK/desktop.png" || true

start_orvane
wait_until 10 tray_icon_centre || fail "no tray icon"
sleep 0.5
read -r tx ty < <(tray_icon_centre)

# The program's windows other than the tray icon.
big_windows() {
    local id
    for id in $(orvane_windows); do
        set -- $(window_geometry "$id")
        [ "$3" -gt 64 ] && echo "$id $*"
    done
}

click "$tx" "$ty" 1
wait_until 5 open_menu || fail "the tray menu did not open"
key Down Down Down Return
sleep 0.4
[ -z "$(big_windows)" ] || fail "a window shows during the pause: $(big_windows)"
pass "no window of the program during the pause"

wait_until 5 editor_window || fail "the editor did not show"
strip_window() { big_windows | awk '$4 == 376 && $5 == 34 {print $2, $3}'; }
wait_until 5 test -n "\$(strip_window)" || true
sleep 0.5
[ "$(strip_window)" = "904 0" ] || fail "tool strip not at the top-right corner: '$(strip_window)'"
pass "tool strip docked at the top-right corner"

shot "$WORK/measure.png"
# The copy: blue desktop and the yellow block, and no tool bar where the bars would be.
expect_pixel "$WORK/measure.png" 400 350 "250,200,0" "copied block"
expect_pixel "$WORK/measure.png" 640 600 "51,102,204" "copied desktop"
expect_pixel "$WORK/measure.png" 20 300 "51,102,204" "left bar area"
expect_pixel "$WORK/measure.png" 600 20 "51,102,204" "top bar area"
# The strip is in front of the editor: its pixels are not the copied desktop.
[ "$(pixel "$WORK/measure.png" 950 28)" != "51,102,204" ] || fail "the strip is hidden behind the editor"
pass "the editor shows the copied screen without bars, the strip above it"

# The copy is a still picture: the desktop changing behind the editor does not show.
"$IM_CONVERT" -size 1280x800 "xc:rgb(0,0,0)" "$WORK/black.png"
display-im6.q16 -window root "$WORK/black.png" || true
sleep 0.3
shot "$WORK/measure2.png"
expect_pixel "$WORK/measure2.png" 640 600 "51,102,204" "still copy"
pass "the copy stays as it was"
