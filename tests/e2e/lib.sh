# Helpers for end-to-end tests: start orvane, find its windows and tray icon,
# drive the pointer and keyboard with xdotool, read the screen's pixels.
# Sourced by tests/e2e/test_*.sh, which run.sh starts on a display of their own.
set -u

SRC="${ORVANE_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
WORK="${E2E_WORK:-$(mktemp -d)}"
IM_CONVERT=convert-im6.q16

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

# start_orvane [args...]: starts the program in the background (ORVANE_PID).
start_orvane() {
    "$ORVANE_BIN" "$@" >>"$WORK/orvane.log" 2>&1 &
    ORVANE_PID=$!
    export ORVANE_PID
}

orvane_alive() { kill -0 "$ORVANE_PID" 2>/dev/null; }
orvane_gone() { ! orvane_alive; }

# wait_until SECONDS COMMAND...: retries COMMAND every 0.1 s until it succeeds.
wait_until() {
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

# Visible top-level windows of orvane (ids), one a line.
orvane_windows() { xdotool search --onlyvisible --class orvane 2>/dev/null; }

# window_geometry ID: prints "X Y W H".
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}

# The editor window: the visible orvane window as large as the screen.
editor_window() {
    local id g
    for id in $(orvane_windows); do
        g=$(window_geometry "$id")
        set -- $g
        if [ "$3" -ge 1000 ] && [ "$4" -ge 700 ]; then echo "$id"; return 0; fi
    done
    return 1
}

# The tray icon: orvane's small window embedded in the tray host; prints its centre "X Y".
tray_icon_centre() {
    local id g
    for id in $(xdotool search --class orvane 2>/dev/null); do
        g=$(window_geometry "$id") || continue
        set -- $g
        if [ "$3" -ge 8 ] && [ "$3" -le 64 ] && [ "$4" -ge 8 ] && [ "$4" -le 64 ] && [ "$2" -ge 0 ] &&
            xwininfo -id "$id" | grep -q "IsViewable"; then
            echo "$(( $1 + $3 / 2 )) $(( $2 + $4 / 2 ))"
            return 0
        fi
    done
    return 1
}

# A pop-up menu of orvane that is open (its window id).
open_menu() {
    local id g
    for id in $(orvane_windows); do
        g=$(window_geometry "$id"); set -- $g
        if [ "$3" -ge 60 ] && [ "$3" -lt 600 ] && [ "$4" -ge 40 ] && [ "$4" -lt 600 ]; then
            echo "$id"; return 0
        fi
    done
    return 1
}

no_menu() { ! open_menu; }

click() { xdotool mousemove --sync "$1" "$2" click "${3:-1}"; sleep 0.2; }
move_to() { xdotool mousemove --sync "$1" "$2"; sleep 0.05; }

# drag X1 Y1 X2 Y2 [BUTTON]: presses at the first point, moves in steps, releases at the second.
drag() {
    local b="${5:-1}" steps=8 i
    xdotool mousemove --sync "$1" "$2" mousedown "$b"
    sleep 0.1
    for i in $(seq 1 $steps); do
        xdotool mousemove "$(( $1 + ($3 - $1) * i / steps ))" "$(( $2 + ($4 - $2) * i / steps ))"
        sleep 0.03
    done
    sleep 0.1
    xdotool mouseup "$b"
    sleep 0.2
}

key() { xdotool key --clearmodifiers "$@"; sleep 0.1; }
type_text() { xdotool type --delay 20 "$1"; sleep 0.1; }

# shot FILE: a screenshot of the whole screen.
shot() { import -window root "$1"; }

# pixel FILE X Y: prints the pixel as "R,G,B".
pixel() {
    "$IM_CONVERT" "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 |
        sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}

# expect_pixel FILE X Y R,G,B [WHAT]
expect_pixel() {
    local got; got=$(pixel "$1" "$2" "$3")
    [ "$got" = "$4" ] || fail "${5:-pixel} at ($2,$3): expected $4, got $got"
}

# Keeps a screenshot for a failed run (E2E_KEEP=1 keeps the work folder).
keep_shot() { shot "$WORK/$1.png"; echo "screenshot: $WORK/$1.png"; }
