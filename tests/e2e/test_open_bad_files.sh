#!/usr/bin/env bash
# Paths that name no readable picture (missing, not a picture, a truncated PNG
# or JPEG): the editor still opens, without a message, with an empty white
# canvas beside the bars, and the program keeps running.
source "$(dirname "$0")/lib.sh"

X0=56 Y0=48
"$IM_CONVERT" -size 200x150 plasma:fractal "$WORK/good.png"
"$IM_CONVERT" -size 200x150 plasma:fractal -quality 90 "$WORK/good.jpg"
head -c $(( $(stat -c %s "$WORK/good.png") / 2 )) "$WORK/good.png" >"$WORK/cut.png"
head -c $(( $(stat -c %s "$WORK/good.jpg") / 2 )) "$WORK/good.jpg" >"$WORK/cut.jpg"
echo "not a picture" >"$WORK/text.png"
mkdir -p "$WORK/with space"

for f in "$WORK/missing.png" "$WORK/text.png" "$WORK/cut.png" "$WORK/cut.jpg" \
    "$WORK/with space/missing.bmp"; do
    name=$(basename "$f")
    start_orvane "\"$f\""
    wait_until 10 editor_window || fail "$name: the editor did not open"
    sleep 1.5
    orvane_alive || fail "$name: the program ended"
    # Only the editor and the tray icon: no message box.
    n=$(orvane_windows | while read -r id; do
        set -- $(window_geometry "$id"); [ "$3" -gt 64 ] && echo "$id"; done | wc -l)
    [ "$n" = 1 ] || fail "$name: $n windows besides the tray icon"
    shot "$WORK/bad-$name.png"
    expect_pixel "$WORK/bad-$name.png" $(( X0 + 10 )) $(( Y0 + 10 )) "255,255,255" "$name: canvas"
    kill "$ORVANE_PID"; wait "$ORVANE_PID" 2>/dev/null
    pass "$name: editor with an empty canvas, no message"
done
