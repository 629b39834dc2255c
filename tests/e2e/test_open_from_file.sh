#!/usr/bin/env bash
# "Open From file": a cancelled dialog shows nothing; a chosen PNG shows in the
# editor at its own size at the parking place (800, 800 twips: pixel 53,53)
# with the bars along the screen; cancelling the dialog a second time opens
# nothing again.
source "$(dirname "$0")/lib.sh"

"$IM_CONVERT" -size 60x40 "xc:rgb(200,30,60)" "$WORK/chosen.png"

start_orvane
wait_until 10 tray_icon_centre || fail "no tray icon"
sleep 0.5
read -r tx ty < <(tray_icon_centre)

# file_dialog: the open dialog's window id.
file_dialog() {
    local id
    for id in $(orvane_windows); do
        set -- $(window_geometry "$id")
        [ "$3" -ge 300 ] && [ "$3" -lt 1200 ] && [ "$4" -ge 200 ] && { echo "$id"; return 0; }
    done
    return 1
}
no_dialog() { ! file_dialog; }

choose_open_from_file() {
    click "$tx" "$ty" 1
    wait_until 5 open_menu || fail "the tray menu did not open"
    local menu; menu=$(open_menu)
    read -r mx my mw mh < <(window_geometry "$menu")
    click $(( mx + 40 )) $(( my + 32 ))  # the second item: "Open From file"
    wait_until 10 file_dialog || fail "no file dialog"
    xdotool windowactivate --sync "$(file_dialog)" 2>/dev/null || true
    sleep 0.5
}

choose_open_from_file
key Escape
wait_until 5 no_dialog || fail "the dialog did not close"
sleep 0.5
editor_window >/dev/null && fail "a cancelled dialog showed the editor"
pass "cancelled on first use: nothing shows"

choose_open_from_file
type_text "$WORK/chosen.png"
key Return
wait_until 10 editor_window || fail "the chosen file did not open"
sleep 1
shot "$WORK/from-file.png"
expect_pixel "$WORK/from-file.png" 55 55 "200,30,60" "picture at the parking place"
expect_pixel "$WORK/from-file.png" 110 90 "200,30,60" "picture at its own size"
[ "$(pixel "$WORK/from-file.png" 116 60)" != "200,30,60" ] || fail "picture wider than 60 px"
[ "$(pixel "$WORK/from-file.png" 20 300)" != "200,30,60" ] || fail "left bar missing"
pass "a chosen PNG opens at its own size"

# Hide the editor with its hide button (four button widths from the right
# edge), then cancel the dialog: the picture is not opened again.
click $(( 1280 - 4 * 35 + 17 )) 21
wait_until 5 sh -c "! xwininfo -id $(editor_window) | grep -q IsViewable" ||
    fail "the hide button did not hide the editor"
choose_open_from_file
key Escape
wait_until 5 no_dialog || fail "the dialog did not close"
sleep 1
editor_window >/dev/null && fail "a second cancel reopened the last file"
pass "cancelled a second time: nothing opens"
