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

# The strip: 376 pixels wide, found by its green swatch, whose top-left pixel lies
# 160 pixels from the strip's left edge and 8 below its top; the blue swatch's
# middle is 264 from the left on the strip's middle row.
read -r gx gy < <("$IM_CONVERT" "$s" -depth 8 txt:- | grep -m 1 '#00C000' |
    sed -E 's/^([0-9]+),([0-9]+):.*/\1 \2/')
[ -n "${gx:-}" ] || { keep_shot no-strip; fail "no tool strip on the screen"; }
x0=$((gx - 160)) y0=$((gy - 8))
expect_pixel "$s" $((x0 + 264)) $((y0 + 16)) 0,0,255 "the strip's blue swatch"
if [ "${STRIP_DOCKED:-1}" = 1 ]; then
    [ "$x0 $y0" = "904 0" ] || { keep_shot strip; fail "the tool strip is at ($x0, $y0), not (904, 0)"; }
    pass "the tool strip is docked at the top-right corner"
fi

orvane_alive || fail "the program ended"
[ "${STRIP_TOOLS:-1}" = 1 ] || return 0
click $((x0 + 25)) $((y0 + 17)) # the strip's distance tool
drag 300 650 450 650
move_to 1000 760
marker_on() { shot "$WORK/m.png"; [ "$(pixel "$WORK/m.png" 360 650)" = $red ]; }
wait_until 10 marker_on || { keep_shot no-marker; fail "the strip's distance tool drew no marker"; }
pass "the strip's distance tool draws on the copy"
