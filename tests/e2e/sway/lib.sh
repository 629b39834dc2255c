# Helpers for the scripts of the Wayland session (sourced; session.sh starts sway):
# the X11 helpers' start, wait and pixel functions, with sway's tree for the
# windows, grim for screenshots, wtype for keys and our virtual pointer.
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

# The program ends with the script (the session ends what it started itself).
trap '[ -n "${ORVANE_PID:-}" ] && kill "$ORVANE_PID" 2>/dev/null' EXIT

# tree: sway's window tree as JSON.
tree() { swaymsg -t get_tree -r; }
# windows: every window of the tree, one JSON object a line ("id", "name", "app_id",
# "visible", "fullscreen_mode", "rect", "pid"; floating ones too).
windows() {
    tree | jq -c '.. | objects | select(.type == "con" or .type == "floating_con")
        | select(.pid != null) | {id, name, app_id, visible, fullscreen_mode, rect, pid,
          shell, floating: (.type == "floating_con")}'
}
# any FILTER: the JSON lines on standard input hold one for which FILTER is true.
any() { jq -c "select($1)" | grep -q .; }
# window_titled TITLE: the window of that title (its JSON), if any.
window_titled() { windows | jq -c --arg t "$1" 'select(.name == $t)' | grep -m 1 .; }
# visible_titled TITLE: there is a window of that title and sway shows it.
visible_titled() { windows | jq -c --arg t "$1" 'select(.name == $t and .visible == true)' | grep -q .; }
# orvane_windows_json: the windows of the running program.
orvane_windows_json() { windows | jq -c --argjson p "$ORVANE_PID" 'select(.pid == $p)'; }
# editor: the program's full-screen window (its JSON).
editor() { orvane_windows_json | jq -c 'select(.fullscreen_mode == 1)' | grep -m 1 .; }
# rect_of JSON: "X Y W H".
rect_of() { jq -r '.rect | "\(.x) \(.y) \(.width) \(.height)"' <<<"$1"; }

# The pointer and the keyboard. Each wtype is a new virtual keyboard whose keymap
# the program must take before the first key: a key sent at once can be lost, so
# every call waits (-s) first, and the first modifier state a new keyboard sends
# can be lost too, so modifiers are pressed and let go once before they count.
vp() { "$VPOINTER" "$@" || fail "the pointer helper failed: $*"; sleep 0.2; }
move_to() { vp move "$1" "$2"; }
click() { vp move "$1" "$2" click "${3:-1}"; }
drag() { vp drag "$@"; }
# key KEY...: each a key name as wtype reads it, modifiers joined by + (ctrl+z).
key() {
    local k mods args
    for k in "$@"; do
        args=(-s 250)
        IFS=+ read -ra mods <<<"$k"
        for m in "${mods[@]::${#mods[@]}-1}"; do args+=(-M "$m" -m "$m" -s 100); done
        for m in "${mods[@]::${#mods[@]}-1}"; do args+=(-M "$m"); done
        args+=(-k "${mods[-1]}")
        for m in "${mods[@]::${#mods[@]}-1}"; do args+=(-m "$m"); done
        wtype "${args[@]}" || fail "wtype could not type $k"
        sleep 0.15
    done
}
type_text() { wtype -s 250 -d 20 "$1"; sleep 0.2; }
# ctrl_wheel X Y NOTCHES: the wheel turned at (X, Y) with Ctrl held. wtype holds Ctrl meanwhile,
# from about half a second after it starts (a loaded machine can stretch that), so
# the wheel turns a good while after, in the middle of a hold of four seconds.
ctrl_wheel() {
    wtype -s 250 -M ctrl -m ctrl -s 250 -M ctrl -s 4000 -m ctrl &
    local held=$!
    sleep 2
    vp move "$1" "$2" wheel "$3"
    wait $held
}

shot() { grim "$1"; } # FILE: the whole output
look() { sleep 0.4; s="$WORK/$1.png"; shot "$s"; }
keep_shot() { shot "$WORK/$1.png"; echo "screenshot: $WORK/$1.png"; }

# The tray item of the program on the session bus: "SERVICE PATH" from the watcher.
# Fails while none is registered.
sni_item() {
    local item
    item=$(busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null |
        grep -o '"[^"]*"' | tr -d '"' | head -n 1)
    [ -n "$item" ] || return 1
    sed -E 's|^([^/]*)(/.*)?$|\1 \2|' <<<"$item"
}
# sni_property NAME: a property of the program's tray item, as busctl prints it.
sni_property() {
    local svc path
    read -r svc path < <(sni_item) || return 1
    busctl --user get-property "$svc" "${path:-/StatusNotifierItem}" org.kde.StatusNotifierItem "$1"
}

# The tray item's exported menu (com.canonical.dbusmenu at the path its Menu
# property names): "SERVICE PATH", failing while the item exports none.
sni_menu() {
    local svc path menu
    read -r svc path < <(sni_item) || return 1
    menu=$(busctl --user get-property "$svc" "${path:-/StatusNotifierItem}" \
        org.kde.StatusNotifierItem Menu 2>/dev/null | awk '{print $2}' | tr -d '"')
    [ -n "$menu" ] && [ "$menu" != /NO_DBUSMENU ] || return 1
    echo "$svc $menu"
}
# menu_items: the exported menu's top-level items, "ID<TAB>LABEL<TAB>TOGGLE" a line
# (separators left out, mnemonic underscores dropped).
menu_items() {
    local svc menu
    read -r svc menu < <(sni_menu) || return 1
    busctl --user --json=short call -- "$svc" "$menu" com.canonical.dbusmenu GetLayout iias 0 -1 0 |
        jq -r '.data[1][2][] | .data | select(.[1].type.data != "separator")
            | "\(.[0])\t\(.[1].label.data // "" | gsub("_"; ""))\t\(.[1]["toggle-type"].data // "")"'
}
# menu_choose LABEL: sends the exported menu's "clicked" event for the item of that label.
menu_choose() {
    local svc menu id
    read -r svc menu < <(sni_menu) || fail "the tray item exports no menu"
    id=$(menu_items | awk -F'\t' -v l="$1" '$2 == l {print $1; exit}')
    [ -n "$id" ] || fail "no item \"$1\" in the exported menu"
    busctl --user call "$svc" "$menu" com.canonical.dbusmenu Event isvu "$id" clicked s "" 0 ||
        fail "the menu did not take the event for \"$1\""
}
