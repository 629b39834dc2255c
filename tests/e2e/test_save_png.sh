#!/usr/bin/env bash
# Saving as a user would: annotations drawn with each tool, the save button,
# a bare name typed into the dialog (which starts on the desktop folder); the
# file is a PNG named with ".PNG" whose pixels are the canvas as shown on the
# screen. Saving again under the same name replaces the file without a question.
source "$(dirname "$0")/lib.sh"

"$IM_CONVERT" -size 700x450 "gradient:#3060c0-#f0a030" -fill "#20a040" \
    -draw "rectangle 400,100 650,300" "$WORK/picture.png"
saved="$HOME/Desktop/annotated.PNG"

start_orvane "$WORK/picture.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
click 25 79  # distance tool
drag 100 300 300 310
click 25 159  # note tool
drag 600 300 450 340
click 25 119  # colour-pick tool
drag 365 265 545 305
move_to 1000 700
sleep 0.5
shown="$WORK/shown.png"
shot "$shown"

save_dialog() {
    local id
    for id in $(orvane_windows); do
        xwininfo -id "$id" | grep -q '"Save As"' && { echo "$id"; return 0; }
    done
    return 1
}
no_save_dialog() { ! save_dialog; }
save_as() {
    click 1122 21  # the save button, fifth from the right
    wait_until 10 save_dialog || fail "no save dialog"
    xdotool windowactivate --sync "$(save_dialog)" 2>/dev/null || true
    sleep 0.3
    type_text "$1"
    key Return
    wait_until 10 no_save_dialog || { keep_shot dialog; fail "the dialog stayed open"; }
}

save_as annotated
wait_until 10 test -s "$saved" || fail "nothing saved on the desktop as annotated.PNG"
read -r format size < <(identify-im6.q16 -format "%m %wx%h\n" "$saved")
[ "$format $size" = "PNG 700x450" ] || fail "saved $format $size, not a 700x450 PNG"

# The magnifier view lies over the canvas on screen but is no part of it:
# leave its square (1000 twips at 960, 5280) out of the comparison.
mask() { "$IM_CONVERT" "$1" -fill black -draw "rectangle $((62 - $2)),$((350 - $3)) $((133 - $2)),$((421 - $3))" "$4"; }
matched=""
for y in 48 49 50; do
    for x in 56 57 58; do
        "$IM_CONVERT" "$shown" -crop "700x450+$x+$y" +repage "$WORK/crop.png"
        mask "$WORK/crop.png" "$x" "$y" "$WORK/crop.png"
        mask "$saved" "$x" "$y" "$WORK/file.png"
        diff=$(compare-im6.q16 -metric AE "$WORK/crop.png" "$WORK/file.png" null: 2>&1)
        [ "$diff" = 0 ] && matched="$x,$y"
    done
done
[ -n "$matched" ] || fail "the saved pixels differ from the canvas on screen"
reds=$("$IM_CONVERT" "$saved" -depth 8 txt:- | grep -c '#FF0000')
[ "$reds" -ge 200 ] || fail "the saved picture holds no annotations ($reds red pixels)"
pass "saved PNG equals the canvas shown at $matched, annotations included ($reds red pixels)"

before=$(stat -c %Y.%i "$saved")
sleep 1.1
save_as annotated.PNG
sleep 0.5
for id in $(orvane_windows); do
    xwininfo -id "$id" | grep -q '"Orvane Tessaly"' || fail "a question appeared over the editor"
done
[ "$(stat -c %Y.%i "$saved")" != "$before" ] || fail "the existing file was not replaced"
orvane_alive || fail "orvane ended"
pass "an existing file is replaced without a question"
