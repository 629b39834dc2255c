#!/usr/bin/env bash
# A path on the command line (quoted or not, with spaces and non-ASCII letters)
# shows the screen-sized editor "Orvane Tessaly" with the picture at its own
# size 100 twips right of and below the bars (pixel 56,48), for every kind of
# picture; transparent parts show the white canvas. Paths that name no readable
# picture give one message saying why, and no empty editor behind it or after it.
source "$(dirname "$0")/lib.sh"

X0=56 Y0=48 W=60 H=40
white=255,255,255

# near R,G,B R,G,B: every channel within 8 (JPEG).
near() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, ","); split(b, y, ",")
    for (i = 1; i <= 3; i++) if (x[i] - y[i] > 8 || y[i] - x[i] > 8) exit 1 }'; }
# opens ARG COLOUR: started with ARG, orvane shows the W x H picture of COLOUR
# (white: an empty canvas) and no other window; the screenshot stays in $s.
opens() {
    start_orvane "$1"
    wait_until 10 editor_window || fail "$1: the editor did not open"
    sleep 1.5
    orvane_alive || fail "$1: the program ended"
    local id=$(editor_window)
    [ "$(window_geometry "$id")" = "0 0 1280 800" ] || fail "$1: editor is $(window_geometry "$id")"
    [ "$(xdotool getwindowname "$id")" = "Orvane Tessaly" ] || fail "$1: editor title"
    local other
    other=$(window_where 65 1000 0 9999) && fail "$1: a window besides the editor and the tray" \
        "icon: \"$(xdotool getwindowname "$other")\" at $(window_geometry "$other")"
    s="$WORK/shot.png"
    shot "$s"
    near "$(pixel "$s" $((X0 + 1)) $((Y0 + 1)))" "$2" || fail "$1: top-left is not $2"
    if [ "$2" != $white ]; then
        near "$(pixel "$s" $((X0 + W - 2)) $((Y0 + H - 2)))" "$2" || fail "$1: bottom-right not $2"
        for p in "$((X0 - 2)) $((Y0 + 5))" "$((X0 + 5)) $((Y0 - 2))" \
            "$((X0 + W + 1)) $((Y0 + 5))" "$((X0 + 5)) $((Y0 + H + 1))"; do
            near "$(pixel "$s" $p)" "$2" && fail "$1: the picture's colour outside it at ($p)"
        done
    fi
    kill "$ORVANE_PID" && wait "$ORVANE_PID" 2>/dev/null
    pass "$1"
}

colour="200,30,60"
for kind in png jpg bmp gif ico psd; do
    f="$WORK/picture.$kind"
    [ $kind = bmp ] && out="BMP3:$f" || out="$f"
    "$IM_CONVERT" -size ${W}x${H} "xc:rgb($colour)" "$out" || fail "cannot make $f"
    opens "$f" "$colour"
done

dir="$WORK/my pictures/Ünïcødé 图片"
mkdir -p "$dir"
f="$dir/Bild mit Größe.PNG"
"$IM_CONVERT" -size ${W}x${H} "xc:rgb(20,160,90)" "PNG:$f"
opens "\"$f\"" "20,160,90"
# A double quote is a character of the name: only the pair around a path is taken off.
f="$WORK/a\"b.png"
"$IM_CONVERT" -size ${W}x${H} "xc:rgb(90,40,170)" "PNG:$f"
opens "$f" "90,40,170"

# The top-right quarter transparent: the white canvas shows through.
"$IM_CONVERT" -size ${W}x${H} "xc:rgb(0,0,255)" -alpha set -region 30x20+30+0 -alpha transparent \
    +region "PNG32:$WORK/part.png"
opens "$WORK/part.png" "0,0,255"
expect_pixel "$s" $((X0 + W - 5)) $((Y0 + 5)) $white "transparent quarter"

"$IM_CONVERT" -size 200x150 plasma:fractal "$WORK/good.png"
"$IM_CONVERT" -size 200x150 plasma:fractal -quality 90 "$WORK/good.jpg"
for k in png jpg; do
    head -c $(($(stat -c %s "$WORK/good.$k") / 2)) "$WORK/good.$k" >"$WORK/cut.$k"
done
echo "not a picture" >"$WORK/text.png"
mkdir -p "$WORK/with space"
# refused ARG: started with ARG, orvane tells why in one message box, with no editor.
refused() {
    start_orvane "$1"
    wait_until 10 orvane_message || fail "$1: no message box"
    editor_window >/dev/null && fail "$1: an empty editor behind the message"
    dismiss_message
    sleep 1.5
    orvane_alive || fail "$1: the program ended"
    orvane_message >/dev/null && fail "$1: a second message box"
    editor_window >/dev/null && fail "$1: an empty editor after the message"
    kill "$ORVANE_PID" && wait "$ORVANE_PID" 2>/dev/null
    pass "$1: told, and no editor"
}
for f in "$WORK/missing.png" "$WORK/text.png" "$WORK/cut.png" "$WORK/cut.jpg" \
    "$WORK/with space/missing.bmp"; do
    refused "\"$f\""
done
