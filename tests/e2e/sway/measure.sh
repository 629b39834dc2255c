# The screen measurement as a user starts it from the tray menu (sourced by the
# test_measure scripts, with the program's Qt platform chosen): the desktop is a
# picture of our own; "Open Form Screen" takes the copy through the portal, the
# editor shows the screen's real pixels (those of a grim shot taken before), the
# tool strip is docked at the top-right corner, and its distance tool draws on the copy.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

red=255,0,0
"$IM_CONVERT" -size 1280x800 gradient:'rgb(200,40,40)-rgb(40,40,200)' -fill 'rgb(255,255,0)' \
    -draw 'rectangle 500,300 700,500' "$WORK/desktop.png" || fail "cannot make the desktop"
swaymsg -q "output * bg $WORK/desktop.png stretch" || fail "sway did not take the background"

start_orvane
wait_until 30 sni_menu || fail "the tray item exports no menu"
sleep 1
shot "$WORK/screen.png"
menu_choose "Open Form Screen"
wait_until 20 editor || { keep_shot no-editor; fail "no full-screen editor: $(orvane_windows_json)"; }
wait_until 10 test -s "$WORK/portal.log" || fail "the screen copy did not come through the portal"
sleep 1.5
look measure
# The copy against the screen, where neither the strip nor the magnifier lies.
for area in 600x300+150+60 1280x200+0+580; do
    "$IM_CONVERT" "$WORK/screen.png" -crop "$area" "$WORK/a.png"
    "$IM_CONVERT" "$s" -crop "$area" "$WORK/b.png"
    differ=$(compare-im6.q16 -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1)
    [ "$differ" = 0 ] || { keep_shot copy; fail "the copy differs from the screen in $differ pixels of $area"; }
done
pass "\"Open Form Screen\" shows the screen's real pixels, copied through the portal"

# The strip at the top-right corner: 376 pixels wide, its colour swatches (green,
# blue) 168 and 264 pixels from its left edge, on its middle row.
x0=$((1280 - 376))
expect_pixel "$s" $((x0 + 168)) 16 0,192,0 "the strip's green swatch"
expect_pixel "$s" $((x0 + 264)) 16 0,0,255 "the strip's blue swatch"
pass "the tool strip is docked at the top-right corner"

click $((x0 + 25)) 17 # the strip's distance tool
drag 300 650 450 650
move_to 1000 760
marker_on() { shot "$WORK/m.png"; [ "$(pixel "$WORK/m.png" 360 650)" = $red ]; }
wait_until 10 marker_on || { keep_shot no-marker; fail "the strip's distance tool drew no marker"; }
pass "the strip's distance tool draws on the copy"
orvane_alive || fail "the program ended"
