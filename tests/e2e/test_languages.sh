#!/usr/bin/env bash
# The system locale picks the language: under en_US the distance label's
# tooltip reads in English (a wider tip than the Chinese source text), under
# zh_CN the tray menu reads in Chinese (narrower than the English captions),
# under C every text is as written. Screenshots of each are kept in the work
# folder (E2E_KEEP=1) for a look at the glyphs.
source "$(dirname "$0")/lib.sh"

unset LC_ALL LC_MESSAGES LANGUAGE
tooltip() { window_where 40 900 12 40; }

# tip_width LANG: the width of the length label's tooltip under LANG.
tip_width() {
    LANG="$1" start_orvane "$SRC/resources/sample/sample.png"
    wait_until 10 editor_window || fail "$1: the editor did not open"
    sleep 1
    click 25 79
    drag 100 300 300 310
    move_to 1000 760
    sleep 0.3
    move_to 205 298
    xdotool mousemove 207 299
    wait_until 5 tooltip || { keep_shot "no-tip-$1"; fail "$1: no tooltip on the length label"; }
    sleep 0.3
    keep_shot "tip-$1" >/dev/null
    read -r _ _ w _ < <(window_geometry "$(tooltip)")
    kill "$ORVANE_PID" && wait "$ORVANE_PID" 2>/dev/null
    echo "$w"
}
c=$(tip_width C)
en=$(tip_width en_US.UTF-8)
zh=$(tip_width zh_CN.UTF-8)
echo "tooltip widths: C $c, en_US $en, zh_CN $zh"
[ "$en" -gt $((c * 2)) ] || fail "the English tooltip ($en px) is not the translated text (C: $c px)"
[ "$zh" = "$c" ] || fail "the Chinese tooltip differs from the source text ($zh px, C: $c px)"
pass "the length label's tooltip in English under en_US, as written under C and zh_CN"

# menu_width LANG: the width of the tray menu under LANG.
menu_width() {
    revive_tray_host
    LANG="$1" start_orvane
    wait_for_tray_icon || fail "$1: no tray icon"
    sleep 0.5
    click $(tray_icon_centre) 1
    # An icon just embedded may miss its first click on a loaded machine.
    wait_until 5 open_menu || { click $(tray_icon_centre) 1; wait_until 5 open_menu; } ||
        fail "$1: no tray menu"
    sleep 0.3
    keep_shot "menu-$1" >/dev/null
    read -r _ _ w _ < <(window_geometry "$(open_menu)")
    key Escape
    kill "$ORVANE_PID" && wait "$ORVANE_PID" 2>/dev/null
    echo "$w"
}
c=$(menu_width C)
zh=$(menu_width zh_CN.UTF-8)
echo "tray menu widths: C $c, zh_CN $zh"
[ "$zh" -lt $((c * 3 / 4)) ] || fail "the tray menu under zh_CN ($zh px) is not the Chinese one (C: $c px)"
pass "the tray menu in Chinese under zh_CN"
