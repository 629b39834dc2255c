#!/usr/bin/env bash
# A path on the command line shows the editor with the picture at its own size,
# 100 twips right of the left bar and 100 twips below the top bar (pixel 56,48
# at 15 twips per pixel), for every kind of picture file, for quoted paths,
# paths with spaces and non-ASCII names. Transparent parts show the canvas's
# white background.
source "$(dirname "$0")/lib.sh"

X0=56 Y0=48
W=60 H=40

# near R,G,B R,G,B: true when every channel differs by at most 8 (JPEG).
near() {
    local IFS=,
    local -a a=($1) b=($2)
    local i d
    for i in 0 1 2; do
        d=$(( a[i] - b[i] )); d=${d#-}
        [ "$d" -le 8 ] || return 1
    done
}

expect_near() {
    local got; got=$(pixel "$1" "$2" "$3")
    near "$got" "$4" || fail "$5 at ($2,$3): expected about $4, got $got"
}

expect_not_near() {
    local got; got=$(pixel "$1" "$2" "$3")
    near "$got" "$4" && fail "$5 at ($2,$3): $got is the picture's colour outside the picture"
    return 0
}

# opens FILE ARG COLOUR: starts orvane with ARG, checks the W x H picture of COLOUR.
opens() {
    local file="$1" arg="$2" colour="$3" what="$4" img="$WORK/shot-$4.png"
    start_orvane "$arg"
    wait_until 10 editor_window || fail "$what: the editor did not open"
    sleep 1.5
    shot "$img"
    expect_near "$img" $(( X0 + 1 )) $(( Y0 + 1 )) "$colour" "$what: top-left"
    expect_near "$img" $(( X0 + W - 2 )) $(( Y0 + H - 2 )) "$colour" "$what: bottom-right"
    expect_not_near "$img" $(( X0 - 2 )) $(( Y0 + 5 )) "$colour" "$what: left of the canvas"
    expect_not_near "$img" $(( X0 + 5 )) $(( Y0 - 2 )) "$colour" "$what: above the canvas"
    expect_not_near "$img" $(( X0 + W + 1 )) $(( Y0 + 5 )) "$colour" "$what: right of the picture"
    expect_not_near "$img" $(( X0 + 5 )) $(( Y0 + H + 1 )) "$colour" "$what: below the picture"
    kill "$ORVANE_PID"; wait "$ORVANE_PID" 2>/dev/null
    pass "$what opens at its own size beside the bars"
}

colour="200,30,60"
for kind in png jpg bmp gif ico psd; do
    f="$WORK/picture.$kind"
    case $kind in
        bmp) out="BMP3:$f" ;;
        *) out="$f" ;;
    esac
    "$IM_CONVERT" -size ${W}x${H} "xc:rgb($colour)" "$out" || fail "cannot make $f"
    opens "$f" "$f" "$colour" "$kind"
done

# Quoted, with spaces and non-ASCII letters, upper-case extension.
dir="$WORK/my pictures/Ünïcødé 图片"
mkdir -p "$dir"
f="$dir/Bild mit Größe.PNG"
"$IM_CONVERT" -size ${W}x${H} "xc:rgb(20,160,90)" "PNG:$f"
opens "$f" "\"$f\"" "20,160,90" "quoted-non-ascii"

# A picture whose right half is transparent: the white canvas shows through.
f="$WORK/half.png"
"$IM_CONVERT" -size ${W}x${H} "xc:rgb(0,0,255)" -alpha set -region "$(( W / 2 ))x${H}+$(( W / 2 ))+0" \
    -alpha transparent +region "PNG32:$f"
start_orvane "$f"
wait_until 10 editor_window || fail "transparent png: no editor"
sleep 1.5
shot "$WORK/half-shot.png"
expect_pixel "$WORK/half-shot.png" $(( X0 + 5 )) $(( Y0 + 5 )) "0,0,255" "opaque half"
expect_pixel "$WORK/half-shot.png" $(( X0 + W - 5 )) $(( Y0 + 5 )) "255,255,255" "transparent half"
pass "transparent parts show the canvas background"
