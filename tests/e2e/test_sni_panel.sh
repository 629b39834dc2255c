#!/usr/bin/env bash
# The program in a StatusNotifierItem panel on X11 (lxqt-panel, which draws the
# menus its items export): a right click on our item shows our tray menu, drawn
# by the panel, and its "Exit" ends the program.
source "$(dirname "$0")/lib.sh"
source "$SRC/tests/e2e/private-bus.sh"
command -v lxqt-panel >/dev/null || { echo "SKIPPED: lxqt-panel is not installed"; exit 77; }

panel_pid=""
trap 'kill ${ORVANE_PID:-} $panel_pid ${BUS_PID:-} 2>/dev/null' EXIT
start_private_bus "$WORK" || fail "the session bus did not start"
export XDG_CONFIG_HOME="$HOME/.config"
mkdir -p "$XDG_CONFIG_HOME/lxqt"
cat >"$XDG_CONFIG_HOME/lxqt/panel.conf" <<CONF
[General]
panels=panel1
[panel1]
plugins=sni
position=Bottom
panelSize=32
iconSize=22
[sni]
type=statusnotifier
CONF
lxqt-panel >"$WORK/panel.log" 2>&1 &
panel_pid=$!
watcher() { busctl --user status org.kde.StatusNotifierWatcher >/dev/null 2>&1; }
wait_until 30 watcher || { cat "$WORK/panel.log"; fail "lxqt-panel did not start its tray"; }

# The panel at the bottom edge (768 to 800), its items from the left: ours is the only one.
icon_box() { # prints "X Y W H" of what the panel draws in its first 400 pixels
    shot "$WORK/panel.png"
    "$IM_CONVERT" "$WORK/panel.png" -crop 400x32+0+768 +repage -fuzz 12% -trim \
        -format '%X %Y %w %h' info: | tr -d '+'
}
icon_shown() { read -r _ _ w h < <(icon_box); [ "$w" -ge 12 ] && [ "$w" -le 40 ] && [ "$h" -ge 12 ]; }
start_orvane
wait_until 30 icon_shown || { keep_shot no-icon; fail "no item in the panel"; }
read -r ix iy iw ih < <(icon_box)
x=$((ix + iw / 2)) y=$((768 + iy + ih / 2))
look before

# panel_menu: a viewable window of the panel's besides the panel itself (its id).
panel_menu() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$panel_pid" 2>/dev/null); do
        read -r _ _ w h < <(window_geometry "$id")
        [ "$h" -gt 100 ] && [ "$w" -lt 600 ] && { echo "$id"; return 0; }
    done
    return 1
}
click "$x" "$y" 3
wait_until 10 panel_menu || { keep_shot no-menu; fail "a right click on the item showed no menu"; }
menu=$(panel_menu)
read -r mx my mw mh < <(window_geometry "$menu")
# Eight items and a separator.
[ "$mh" -ge 150 ] && [ "$mh" -le 400 ] || fail "the menu is $mw x $mh, not one of eight items"
[ -z "$(orvane_windows)" ] || fail "the program showed a window of its own: $(orvane_windows)"
look menu
pass "a right click on the item shows the tray menu, drawn by the panel (${mw}x$mh)"

# "Exit" is the last item: its row is the menu's last 20-odd pixels.
click $((mx + 40)) $((my + mh - 14))
wait_until 15 not orvane_alive || { keep_shot exit; fail "\"Exit\" in the panel's menu left the program running"; }
pass "\"Exit\" chosen in the panel's menu ends the program"
