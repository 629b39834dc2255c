#!/bin/sh
# Renders every picture of art/ at 1x and 2x into a folder (default
# /tmp/orvane-art) for a look, and checks that each picture has its native
# size and is listed in resources.qrc. Needs rsvg-convert (librsvg2-bin).
# With --sample it also rebuilds sample/sample.png from sample/sample.svg.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=/tmp/orvane-art
sample=no
for arg in "$@"; do
    case "$arg" in
        --sample) sample=yes ;;
        *) out=$arg ;;
    esac
done
mkdir -p "$out"

# Native size of every picture, as the windows lay them out.
sizes="toolbar-top 1920x42
toolbar-left 50x1080
pattern 24x24
tool-distance 35x35
tool-distance-active 35x35
tool-colour 35x35
tool-colour-active 35x35
tool-note 35x35
tool-note-active 35x35
tool-move 35x35
tool-move-active 35x35
btn-save 35x35
btn-hide 35x35
btn-close 35x35
strip-background 377x41
tick 17x17
orvane 256x256"

failed=0
echo "$sizes" | while read -r name size; do
    svg="$here/art/$name.svg"
    if [ ! -f "$svg" ]; then
        echo "missing: art/$name.svg"; exit 1
    fi
    if ! grep -q "<file>art/$name.svg</file>" "$here/resources.qrc"; then
        echo "not in resources.qrc: art/$name.svg"; exit 1
    fi
    rsvg-convert "$svg" -o "$out/$name.png"
    rsvg-convert -z 2 "$svg" -o "$out/$name@2x.png"
    # PNG header: width and height are big-endian words at bytes 16 and 20.
    got=$(od -An -tu1 -j16 -N8 "$out/$name.png" |
          awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
    if [ "$got" != "$size" ]; then
        echo "wrong size: art/$name.svg is $got, should be $size"; exit 1
    fi
done || failed=1

for svg in "$here"/art/*.svg; do
    name=$(basename "$svg" .svg)
    if ! echo "$sizes" | grep -q "^$name "; then
        echo "unexpected picture: art/$name.svg"; failed=1
    fi
done

if [ "$sample" = yes ]; then
    rsvg-convert "$here/sample/sample.svg" -o "$here/sample/sample.png"
fi
[ "$failed" = 0 ] && echo "rendered to $out"
exit "$failed"
