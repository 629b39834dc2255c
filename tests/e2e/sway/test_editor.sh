#!/usr/bin/env bash
# The editor on a Wayland compositor: a second start hands its picture to the
# program in the tray, whose editor shows it full screen with both bars; a
# distance marker is drawn with the virtual pointer and taken back with Ctrl+Z;
# Ctrl + wheel zooms about the pointer.
source "$(dirname "$0")/lib.sh"

red=255,0,0
# A picture whose pixel (x, y) has red 2 (x mod 128) and green 2 (y mod 128): every
# pixel tells where it is within 128 pixels.
pic="$WORK/pictures/grid picture.png"
mkdir -p "$WORK/pictures"
"$IM_CONVERT" -size 600x400 xc:black -channel R -fx '(i%128)*2/255' -channel G -fx '(j%128)*2/255' \
    -channel B -fx "128/255" +channel -depth 8 "$pic" || fail "could not make the picture"

start_orvane
# The tray item is on the bus, and so in swaybar's tray.
wait_until 30 sni_item || fail "no tray item registered with the watcher"
first=$ORVANE_PID
[ -z "$(orvane_windows_json)" ] || fail "a window besides the tray item: $(orvane_windows_json)"

(cd "$WORK/pictures" && timeout 30 "$ORVANE_BIN" "grid picture.png" >>"$WORK/second.log" 2>&1) ||
    fail "the second start ended with status $?"
kill -0 "$first" 2>/dev/null || fail "the first program ended"
wait_until 20 editor || fail "no full-screen editor: $(orvane_windows_json)"
ed=$(editor)
[ "$(rect_of "$ed")" = "0 0 1280 800" ] || fail "the editor is at $(rect_of "$ed")"
[ "$(jq -r .name <<<"$ed")" = "Orvane Tessaly" ] || fail "the editor is titled $(jq .name <<<"$ed")"
[ "$(jq -r .visible <<<"$ed")" = true ] || fail "the editor is not visible"
pass "a second start hands its path over; the editor shows full screen"

# The canvas's top-left corner (850, 730 twips), right of the tool bar and below the top bar.
cx=57 cy=49
sleep 1
look opened
expect_pixel "$s" $((cx + 10)) $((cy + 10)) 20,20,128 "the picture's pixel (10, 10)"
expect_pixel "$s" $((cx + 100)) $((cy + 80)) 200,160,128 "the picture's pixel (100, 80)"
expect_pixel "$s" 25 400 36,38,43 "the tool bar"
expect_pixel "$s" 25 79 217,220,225 "the tool bar's distance tool"
expect_pixel "$s" 640 20 40,43,48 "the top bar"
expect_pixel "$s" 1227 21 217,220,225 "the top bar's close button"
pass "the picture at its place, with the tool bar and the top bar"

# marker_on Y / marker_off Y: a fresh screenshot shows (or does not show) the line of
# the marker drawn along row Y (at x 260, clear of its length label).
marker_on() { shot "$WORK/m.png"; [ "$(pixel "$WORK/m.png" 260 "$1")" = $red ]; }
marker_off() { shot "$WORK/m.png"; [ "$(pixel "$WORK/m.png" 260 "$1")" != $red ]; }
click 25 79 # the distance tool
drag 100 300 300 310
move_to 1000 760
wait_until 10 marker_on 300 || { keep_shot marker; fail "no marker after the drag"; }
key ctrl+z
wait_until 10 marker_off 300 || { keep_shot undo; fail "Ctrl+Z left the marker"; }
expect_pixel "$WORK/m.png" 260 300 $(((260 - cx) % 128 * 2)),$(((300 - cy) % 128 * 2)),128 \
    "the picture under the marker taken back"
pass "a distance marker drawn with the pointer, and taken back with Ctrl+Z"

# run_length FILE X Y: how many pixels of the colour at (X, Y) lie within 40 pixels of
# it, across and down.
run_length() {
    local c=$(pixel "$1" "$2" "$3") area
    for area in "81x1+$(($2 - 40))+$3" "1x81+$2+$(($3 - 40))"; do
        "$IM_CONVERT" "$1" -crop "$area" -depth 8 txt:- | tail -n +2 |
            sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/' | grep -cx "$c"
    done | paste -sd' '
}
px=90 py=60 # the picture pixel to zoom about
x=$((cx + px)) y=$((cy + py))
want=$((2 * px)),$((2 * py)),128
move_to "$x" "$y"
# zoomed_to Z: a fresh screenshot shows picture pixels Z x Z screen pixels large.
zoomed_to() {
    shot "$WORK/$1.png"
    read -r across down < <(run_length "$WORK/$1.png" "$x" "$y")
    [ "$across" = "$1" ] && [ "$down" = "$1" ]
}
for zoom in 2 3; do
    # wtype's hold of Ctrl starts after a delay that a loaded machine stretches: a step the
    # wheel made without it leaves the zoom where it was, and is turned again (at most twice).
    for _ in 1 2 3; do
        ctrl_wheel "$x" "$y" 1
        wait_until 5 zoomed_to "$zoom" && break
        [ "$across $down" = "$((zoom - 1)) $((zoom - 1))" ] || break
        echo "the zoom stayed at $((zoom - 1))00 %: the wheel is turned again"
    done
    [ "$across $down" = "$zoom $zoom" ] ||
        { keep_shot "zoom-$zoom"; fail "at ${zoom}00 % a picture pixel is $across x $down"; }
    got=$(pixel "$WORK/$zoom.png" "$x" "$y")
    [ "$got" = "$want" ] || { keep_shot "zoom-$zoom"; fail "at ${zoom}00 % the pointer is over $got, not $want"; }
done
pass "Ctrl + wheel zooms about the pointer in whole blocks (200, 300 %)"
orvane_alive || fail "the program ended"
