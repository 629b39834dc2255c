#!/usr/bin/env bash
# What a window manager may hide: the tool strip of "Open Form Screen" fully on
# top at the top-right corner, its distance tool drawing on the copied screen and
# its close icon ending the measurement (after "Save changes to this markup?" is answered
# Discard, since a marker was drawn); a file opened from the tray showing with
# its bars and taking a distance marker. Every drag runs exactly along a row and
# gives a horizontal marker of its length (the end pixels counted).
source "$(dirname "$0")/lib.sh"

blue=51,102,204 red=255,0,0
"$IM_CONVERT" -size 1280x800 "xc:rgb($blue)" "$WORK/desktop.png" || fail "cannot make the desktop"
display-im6.q16 -window root "$WORK/desktop.png" || true # reports 1 after painting the root
"$IM_CONVERT" -size 400x300 "xc:rgb(255,255,255)" "$WORK/white.png"

# row_marker NAME X1 X2 Y: the screenshot shows a marker from X1 to X2 on row Y: the
# line left of its label, ticks of 11 pixels across both ends, nothing beyond them.
row_marker() {
    local what="$1" x1=$2 x2=$3 y=$4 x
    for x in $x1 $((x1 + 5)) $((x1 + (x2 - x1) / 2 - 5)); do
        expect_pixel "$s" $x $y $red "$what: line"
    done
    for x in $x1 $x2; do
        expect_pixel "$s" $x $((y - 5)) $red "$what: tick"
        expect_pixel "$s" $x $((y + 5)) $red "$what: tick"
        [ "$(pixel "$s" $x $((y + 7)))" != $red ] || fail "$what: tick too long at $x"
    done
    [ "$(pixel "$s" $((x1 - 3)) $y)" != $red ] && [ "$(pixel "$s" $((x2 + 3)) $y)" != $red ] ||
        fail "$what: line beyond its ends"
    [ "$(pixel "$s" $((x1 + 5)) $((y + 3)))" != $red ] || fail "$what: not along the row"
}

start_orvane
wait_for_tray_icon || fail "no tray icon"
sleep 0.5
read -r tx ty < <(tray_icon_centre)
tray_item() {
    click "$tx" "$ty" 1
    wait_until 5 open_menu || fail "the tray menu did not open"
    for _ in $(seq "$1"); do key Down; done
    key Return
}

tray_item 3 # "Open Form Screen"
wait_until 10 editor_window || fail "the editor did not show"
strip() { window_where 376 377 34 35; }
docked() { [ "$(window_geometry "$(strip)")" = "904 0 376 34" ]; }
wait_until 5 docked || fail "tool strip not at the top-right corner: '$(window_geometry "$(strip)")'"
[ "$(window_geometry "$(editor_window)")" = "0 0 1280 800" ] ||
    fail "the editor is $(window_geometry "$(editor_window)")"
look measure
[ "$(count_colour "$s" 376x34+904+0 3366CC)" = 0 ] || {
    keep_shot hidden-strip; fail "the copied screen shows where the strip should be"
}
expect_pixel "$s" 640 400 $blue "the copied screen"
pass "Open Form Screen: the strip is fully on top at the top-right corner"

# "Show" raises the editor: the strip stays above it. The full-screen editor covers the tray,
# so the icon is clicked through its own window, as a panel that stays on top would.
icon=""
for id in $(xdotool search --class orvane 2>/dev/null); do
    read -r _ _ w h < <(window_geometry "$id" 2>/dev/null)
    [ "${w:-0}" -ge 8 ] && [ "$w" -le 64 ] && [ "$h" -ge 8 ] && [ "$h" -le 64 ] &&
        xwininfo -id "$id" | grep -q IsViewable && { icon=$id; break; }
done
[ -n "$icon" ] || fail "no tray icon window"
move_to 640 400
xdotool click --window "$icon" 1
wait_until 5 open_menu || { keep_shot no-menu; fail "the tray menu did not open over the measurement"; }
key Down Down Down Down Return # "Show"
wait_until 5 not open_menu || fail "the tray menu stayed"
sleep 1
look shown
[ "$(count_colour "$s" 376x34+904+0 3366CC)" = 0 ] || {
    keep_shot strip-under-editor; fail "after Show the editor covers the strip"
}
pass "Show during a screen measurement keeps the strip above the editor"

click $((904 + 8 + 17)) 17 # the strip's distance tool
drag 300 500 450 500
look measured
row_marker "marker on the copied screen" 300 450 500
pass "the strip's distance tool draws a horizontal marker along a row"

# A drag on the strip's background moves it (from the first move with the button
# held, so by 7/8 of the drag or a little less); passing over it afterwards does not.
drag $((904 + 370)) 10 $((904 + 370 - 200)) 110
read -r sx sy _ < <(window_geometry "$(strip)")
[ $((904 - sx)) -ge 120 ] && [ $((904 - sx)) -le 200 ] && [ "$sy" -ge 60 ] && [ "$sy" -le 100 ] ||
    fail "the strip's background drag took it to ($sx,$sy)"
move_to $((sx + 370)) $((sy + 10))
move_to $((sx + 360)) $((sy + 30))
move_to $((sx + 200)) $((sy + 200))
sleep 0.3
[ "$(window_geometry "$(strip)")" = "$sx $sy 376 34" ] ||
    fail "passing over the strip moved it: $(window_geometry "$(strip)")"
pass "a drag on the strip's background moves it; passing over it does not"

click $((sx + 328 + 17)) $((sy + 17)) # the strip's close icon
wait_until 10 orvane_message || { keep_shot no-question; fail "closing with a marker asked nothing"; }
xdotool windowactivate --sync "$(orvane_message)" 2>/dev/null || true
key alt+d # Discard
wait_until 5 not orvane_message || fail "the question stayed after Discard"
wait_until 5 not editor_window || fail "the close icon did not close the editor"
wait_until 5 not strip || fail "the strip stayed after the close icon"
orvane_alive || fail "the close icon ended the program"
pass "the strip's close icon asks, and after Discard closes the editor and the strip"

file_dialog() { window_where 300 1200 200 9999; }
tray_item 2 # "Open From file"
wait_until 10 file_dialog || fail "no file dialog"
xdotool windowactivate --sync "$(file_dialog)" 2>/dev/null || true
sleep 0.5
type_text "$WORK/white.png"
key Return
wait_until 10 editor_window || fail "the chosen file did not open"
sleep 1
look file
[ "$(window_geometry "$(editor_window)")" = "0 0 1280 800" ] ||
    fail "the editor is $(window_geometry "$(editor_window)")"
expect_pixel "$s" 100 100 255,255,255 "the picture"
for p in "25 400" "640 20" "25 20"; do
    case "$(pixel "$s" $p)" in $blue | 255,255,255) fail "no bar at ($p)" ;; esac
done
click 25 79 # the editor's distance tool
drag 100 200 300 200
look file-measured
row_marker "marker on the file" 100 300 200
pass "a file from the tray shows with its bars and takes a horizontal marker along a row"
