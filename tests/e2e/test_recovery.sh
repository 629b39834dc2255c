#!/usr/bin/env bash
# Markup survives the end of the program: after a kill -9 and after a SIGTERM (which also
# ends the program and takes its tray icon away) the next start asks to restore the unsaved
# markup, and Return brings back the same annotations on the same picture; after a save
# and Exit the next start asks nothing.
source "$(dirname "$0")/lib.sh"
KEEP_JOURNAL=1 # every start here is to find what the one before kept

command -v xclip >/dev/null || fail "xclip is not installed"
state="$HOME/.local/state/orvane"
clipboard() { xclip -o -selection clipboard 2>/dev/null; }
# measurements: the editor's "Copy measurements" (Ctrl+Shift+C) as the clipboard holds it.
measurements() {
    printf 'old' | xclip -selection clipboard
    xdotool windowactivate --sync "$(editor_window)" 2>/dev/null || true
    key ctrl+shift+c
    copied() { [ "$(clipboard)" != old ]; }
    wait_until 5 copied || fail "Copy measurements put nothing on the clipboard"
    clipboard
}
journal() { cat "$state"/journal-*/journal.json 2>/dev/null; }
journal_there() { [ -n "$(journal)" ]; }
journal_changed() { [ -n "$(journal)" ] && [ "$(journal | md5sum)" != "$1" ]; }
# restore_question: the box that offers the journal back.
restore_question() {
    local id=$(orvane_message)
    [ -n "$id" ] && echo "$id"
}
restore() {
    wait_until 20 restore_question || { keep_shot no-question; fail "no restore question ($1)"; }
    look question-$1
    dismiss_message
    wait_until 10 editor_window || { keep_shot not-restored; fail "Return restored nothing ($1)"; }
    sleep 1
}
# canvas_pixels NAME: a screenshot of the canvas area with the pointer away.
canvas_pixels() { look "$1"; "$IM_CONVERT" "$s" -crop 1000x600+100+100 +repage "$WORK/$1-c.png"; }

"$IM_CONVERT" -size 500x400 plasma:fractal "$WORK/picture.png" || fail "cannot make a picture"
start_orvane "$WORK/picture.png"
wait_until 10 editor_window || fail "the editor did not open"
sleep 1
click 25 79                 # the distance tool
drag 150 200 400 205        # a horizontal marker
drag 200 250 210 450        # a vertical one
wait_until 10 journal_there || fail "no journal after drawing"
before=$(measurements)
[ "$(printf '%s\n' "$before" | wc -l)" -eq 2 ] || fail "two markers expected: '$before'"
canvas_pixels drawn
sleep 2.5 # one more journal interval: everything drawn is in it

# ---- kill -9
kill -9 "$ORVANE_PID"
wait_until 10 not orvane_alive || fail "kill -9 did not end the program"
revive_tray_host
start_orvane
restore kill
after=$(measurements)
[ "$after" = "$before" ] || fail "after kill -9: '$after' instead of '$before'"
canvas_pixels restored
diff=$(compare-im6.q16 -metric AE "$WORK/drawn-c.png" "$WORK/restored-c.png" null: 2>&1)
[ "${diff%% *}" -lt 50 ] || fail "the restored canvas differs in $diff pixels"
pass "kill -9: the question, and Return restores '$before' on the same picture"

# ---- SIGTERM: one more marker, then a polite end
xdotool windowactivate --sync "$(editor_window)" 2>/dev/null || true
was=$(journal | md5sum)
click 25 79 # the distance tool
drag 450 300 600 300
wait_until 10 journal_changed "$was" || fail "the third marker never reached the journal"
sleep 2.5
before=$(measurements)
kill -TERM "$ORVANE_PID"
wait_until 10 not orvane_alive || fail "SIGTERM did not end the program"
wait_until 5 not tray_icon_centre || fail "the tray icon stayed after SIGTERM"
revive_tray_host
start_orvane
restore term
after=$(measurements)
[ "$after" = "$before" ] || fail "after SIGTERM: '$after' instead of '$before'"
pass "SIGTERM ends the program without its icon; Return restores '$after'"

# ---- a save and Exit leave nothing to restore
save_dialog() { xdotool search --onlyvisible --name '^Save As$' | grep -m 1 .; }
click 1122 21 # the save button
wait_until 10 save_dialog || fail "no save dialog"
xdotool windowactivate --sync "$(save_dialog)" 2>/dev/null || true
sleep 0.3
type_text kept
key Return
wait_until 10 not save_dialog || { keep_shot dialog; fail "the save dialog stayed open"; }
wait_until 10 test -s "$HOME/Desktop/kept.PNG" || fail "nothing saved"
wait_until 10 not journal_there || fail "the journal stayed after the save"
click $((1280 - 4 * 35 + 17)) 21 # the editor's hide button: the tray is under it
wait_until 5 not editor_window || fail "the hide button did not hide the editor"
read -r tx ty < <(tray_icon_centre)
click "$tx" "$ty" 1
wait_until 5 open_menu || fail "the tray menu did not open"
for _ in $(seq 8); do key Down; done
key Return # "Exit"
wait_until 10 not orvane_alive || fail "Exit did not end the program"
start_orvane
wait_for_tray_icon || fail "no tray icon on the last start"
sleep 2
orvane_message >/dev/null && { keep_shot asked; fail "a start after save and Exit asked something"; }
pass "after a save and Exit the next start asks nothing"
