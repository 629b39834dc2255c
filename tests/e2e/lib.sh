# Helpers for the end-to-end scripts (sourced; run.sh gives each a display of its own):
# start orvane, find its windows, drive pointer and keyboard with xdotool, read pixels.
set -u

SRC="${ORVANE_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
WORK="${E2E_WORK:-$(mktemp -d)}"
IM_CONVERT=convert-im6.q16

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

# start_orvane [args...]: starts the program in the background (ORVANE_PID, which
# run.sh ends).
# Each start is a fresh one: markup a killed run kept for recovery is forgotten first,
# unless the script is about recovery (KEEP_JOURNAL=1).
start_orvane() {
    [ -n "${KEEP_JOURNAL:-}" ] || rm -rf "$HOME/.local/state/orvane"/journal-*
    "$ORVANE_BIN" "$@" >>"$WORK/orvane.log" 2>&1 &
    export ORVANE_PID=$!
}
orvane_alive() { kill -0 "$ORVANE_PID" 2>/dev/null; }
# revive_tray_host: starts the session's tray host again if it has died (trayer can
# fall over when a killed program's icon vanishes), for a script that starts the
# program again after killing it.
revive_tray_host() {
    if [ -n "${TRAYER_PID:-}" ] && ! kill -0 "$TRAYER_PID" 2>/dev/null; then
        echo "(the tray host had ended: started again)" >&2
        source "$SRC/scripts/xvfb-session.sh"
        start_tray_host "$WORK" --transparent false --tint 0x202020
    fi
}

# tray_host_up: the session's tray host runs and holds the tray.
tray_host_up() {
    kill -0 "${TRAYER_PID:-0}" 2>/dev/null && xdotool search --classname '^trayer$' >/dev/null 2>&1
}
# wait_for_tray_icon: waits up to 30 s for orvane's tray icon. A tray host that has ended or
# never took the tray by the first 10 s is started again (the program embeds its icon in a
# tray that appears later), with a line in the test's output.
wait_for_tray_icon() {
    wait_until 10 tray_icon_centre && return 0
    if ! tray_host_up; then
        echo "(no tray host after 10 s: started again)" >&2
        kill "${TRAYER_PID:-0}" 2>/dev/null
        source "$SRC/scripts/xvfb-session.sh"
        start_tray_host "$WORK" --transparent false --tint 0x202020
    fi
    wait_until 20 tray_icon_centre
}

# wait_until SECONDS COMMAND...: retries COMMAND every 0.1 s until it succeeds.
wait_until() {
    for _ in $(seq $(($1 * 10))); do "${@:2}" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
not() { ! "$@"; } # for wait_until

# Visible top-level windows of orvane (ids), one a line.
orvane_windows() { xdotool search --onlyvisible --class orvane 2>/dev/null; }

# window_geometry ID: prints "X Y W H".
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}

# window_where MINW MAXW MINH MAXH: the first visible orvane window of a size in range.
window_where() {
    local id x y w h
    for id in $(orvane_windows); do
        read -r x y w h < <(window_geometry "$id")
        [ "$w" -ge "$1" ] && [ "$w" -lt "$2" ] && [ "$h" -ge "$3" ] && [ "$h" -lt "$4" ] &&
            { echo "$id"; return 0; }
    done
    return 1
}
editor_window() { window_where 1000 9999 700 9999; }
open_menu() { window_where 60 600 40 600; }

# The tray icon: orvane's small window embedded in the tray host; prints its centre "X Y".
tray_icon_centre() {
    local id x y w h
    for id in $(xdotool search --class orvane 2>/dev/null); do
        read -r x y w h < <(window_geometry "$id" 2>/dev/null)
        [ "${w:-0}" -ge 8 ] && [ "$w" -le 64 ] && [ "$h" -ge 8 ] && [ "$h" -le 64 ] &&
            [ "$y" -ge 0 ] && xwininfo -id "$id" | grep -q IsViewable &&
            { echo "$((x + w / 2)) $((y + h / 2))"; return 0; }
    done
    return 1
}

# move_to X Y: xdotool's --sync waits for a motion, so it is skipped when already there.
move_to() {
    [ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:$1 y:$2" ] ||
        xdotool mousemove --sync "$1" "$2"
    sleep 0.05
}
click() { move_to "$1" "$2"; xdotool click "${3:-1}"; sleep 0.2; }

# drag X1 Y1 X2 Y2: presses the left button at the first point, moves in 8 steps,
# releases at the second.
drag() {
    local i
    move_to "$1" "$2"
    xdotool mousedown 1
    sleep 0.1
    for i in $(seq 8); do
        xdotool mousemove $(($1 + ($3 - $1) * i / 8)) $(($2 + ($4 - $2) * i / 8))
        sleep 0.03
    done
    sleep 0.1
    xdotool mouseup 1
    sleep 0.2
}

key() { xdotool key --clearmodifiers "$@"; sleep 0.1; }
type_text() { xdotool type --delay 20 "$1"; sleep 0.1; }

shot() { import -window root "$1"; } # FILE: a screenshot of the whole screen
# look NAME: moves the pointer off the canvas and takes a screenshot into $WORK/NAME.png ($s).
look() { move_to 1000 760; sleep 0.4; s="$WORK/$1.png"; shot "$s"; }
# pixel FILE X Y: prints the pixel as "R,G,B".
pixel() {
    "$IM_CONVERT" "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 |
        sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}
# expect_pixel FILE X Y R,G,B [WHAT]
expect_pixel() {
    local got=$(pixel "$1" "$2" "$3")
    [ "$got" = "$4" ] || fail "${5:-pixel} at ($2,$3): expected $4, got $got"
}
# count_colour FILE WxH+X+Y HEX: pixels of colour #HEX in the area.
count_colour() { "$IM_CONVERT" "$1" -crop "$2" -depth 8 txt:- | grep -c "#$3" || true; }

# Keeps a screenshot for a failed run (E2E_KEEP=1 keeps the work folder).
keep_shot() { shot "$WORK/$1.png"; echo "screenshot: $WORK/$1.png"; }

# A message box of orvane: a window titled "Orvane Tessaly" smaller than the editor (its id).
orvane_message() {
    local id=$(window_where 65 800 0 800)
    [ -n "$id" ] && [ "$(xdotool getwindowname "$id")" = "Orvane Tessaly" ] && echo "$id"
}
# dismiss_message: presses Return on the message box and waits until it is gone.
# Only that box is pressed again if the first Return missed it, so a second box
# opening after it is still there for the caller to see.
dismiss_message() {
    local box try
    box=$(orvane_message)
    box_gone() { ! xwininfo -id "$box" 2>/dev/null | grep -q IsViewable; }
    for try in 1 2; do
        xdotool windowactivate --sync "$box" 2>/dev/null || true
        sleep 0.2 # a box just activated may not have the keyboard yet
        key Return
        wait_until 5 box_gone && return 0
    done
    fail "the message box did not close"
}
