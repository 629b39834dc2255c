#!/usr/bin/env bash
# One program per session: a second start with a picture hands the path to the
# running program and ends; the first opens the picture in its editor, and the
# tray holds one icon. A name that is not UTF-8 is handed over, opened and saved beside by its
# own bytes. A socket left by a killed run does not block a start.
source "$(dirname "$0")/lib.sh"

# Tray icons of orvane (small viewable windows of class orvane), counted.
tray_icons() {
    local id x y w h n=0
    for id in $(xdotool search --class orvane 2>/dev/null); do
        read -r x y w h < <(window_geometry "$id" 2>/dev/null)
        [ "${w:-0}" -ge 8 ] && [ "$w" -le 64 ] && [ "$h" -ge 8 ] && [ "$h" -le 64 ] &&
            xwininfo -id "$id" | grep -q IsViewable && n=$((n + 1))
    done
    echo "$n"
}

mkdir -p "$WORK/pictures"
"$IM_CONVERT" -size 60x40 "xc:rgb(30,160,220)" "$WORK/pictures/handed over.png"

start_orvane
wait_for_tray_icon || fail "no tray icon"
first=$ORVANE_PID
sleep 0.5

# The second start, from another folder, with a relative path.
(cd "$WORK/pictures" && timeout 20 "$ORVANE_BIN" "handed over.png" >>"$WORK/second.log" 2>&1)
status=$?
[ $status -eq 0 ] || fail "the second start ended with status $status"
kill -0 "$first" 2>/dev/null || fail "the first program ended"
wait_until 10 editor_window || fail "the first program's editor did not open"
sleep 1.5
s="$WORK/shot.png"
shot "$s"
expect_pixel "$s" 60 52 30,160,220 "handed-over picture"
[ "$(tray_icons)" = 1 ] || fail "$(tray_icons) tray icons"
pass "a second start hands its path over and ends; one tray icon; the editor shows it"

# A name that is not UTF-8 (Latin-1 "café.png") handed over by a second start opens; the save
# dialog offers the picture's folder and its name as a user reads it (U+FFFD for the stray
# byte), and the save lands beside the picture, which keeps its bytes.
latin1=$(printf 'caf\351')
"$IM_CONVERT" -size 60x40 "xc:rgb(220,120,30)" "$WORK/pictures/$latin1.png"
(cd "$WORK/pictures" && timeout 20 "$ORVANE_BIN" "$latin1.png" >>"$WORK/second.log" 2>&1) ||
    fail "the second start with a Latin-1 name ended with status $?"
s="$WORK/latin1.png"
latin1_shown() { shot "$s" && [ "$(pixel "$s" 60 52)" = "220,120,30" ]; }
wait_until 15 latin1_shown || { keep_shot latin1; fail "the Latin-1 name did not open"; }
orvane_message >/dev/null && { keep_shot latin1-box; fail "a message box with the picture"; }
save_dialog() { xdotool search --onlyvisible --name '^Save As$' | grep -m 1 .; }
click 1122 21 # the save button
wait_until 10 save_dialog || { keep_shot no-dialog; fail "no save dialog"; }
xdotool windowactivate --sync "$(save_dialog)" 2>/dev/null || true
sleep 0.5
keep_shot latin1-dialog
key Return # the offered name, in the offered folder
saved="$WORK/pictures/$(printf 'caf\357\277\275').PNG"
wait_until 10 test -s "$saved" || { keep_shot latin1-save; ls "$WORK/pictures" >&2; fail "nothing saved beside the picture"; }
[ "$("$IM_CONVERT" "$saved" -crop 1x1+5+5 -depth 8 txt:- | grep -c '(220,120,30')" = 1 ] ||
    fail "the saved picture is not the Latin-1 one"
[ "$(identify-im6.q16 -format %wx%h "$WORK/pictures/$latin1.png")" = 60x40 ] ||
    fail "the Latin-1 picture changed"
pass "a name that is not UTF-8 is handed over, opens, and is saved beside under its shown name"

# A start with no path while one runs: ends at once, nothing new appears.
timeout 20 "$ORVANE_BIN" >>"$WORK/second.log" 2>&1 || fail "a second start without a path failed"
sleep 0.5
[ "$(tray_icons)" = 1 ] || fail "$(tray_icons) tray icons after a start without a path"
pass "a second start without a path ends and adds nothing"

# A killed run leaves its socket behind: the next start takes over.
kill -9 "$first"
wait "$first" 2>/dev/null
wait_until 10 not tray_icon_centre || fail "the killed program's icon stayed"
revive_tray_host
start_orvane "$WORK/pictures/$latin1.png" # the first start of a run takes such a name too
wait_for_tray_icon || fail "a stale socket blocked the start"
orvane_alive || fail "the new program ended"
wait_until 15 latin1_shown || { keep_shot latin1-first; fail "the first start's Latin-1 name did not open"; }
pass "a socket left by a killed run does not block a start, whose own Latin-1 name opens"
