#!/usr/bin/env bash
# Idle benchmark: orvane starts on a picture under Xvfb, its editor opens and is hidden with
# its own hide button; then the CPU time (utime + stime, in clock ticks) it takes over
# SECONDS is read from /proc, beside the same figure for the tray host, which idles on the
# same display over the same seconds. Goal: orvane 0 ticks.
set -u
ORVANE="@ORVANE_BIN@"
PICTURE="@PICTURE@"
SECONDS_IDLE="${SECONDS_IDLE:-10}"

work=$(mktemp -d)
export HOME="$work" XDG_RUNTIME_DIR="$work/run"; mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
cleanup() {
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
    [ -n "${TRAYER_PID:-}" ] && kill "$TRAYER_PID" 2>/dev/null
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
source "@PROJECT_SOURCE_DIR@/scripts/xvfb-session.sh"
start_display "$work" || exit 1

# cpu_ticks PID: utime + stime of the process, in clock ticks (fields 14 and 15; the
# command name in field 2 is skipped as a whole, since it may hold spaces).
cpu_ticks() { sed -E 's/^.*\) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }

# The editor: an orvane window as large as the screen.
editor_shown() {
    local id
    for id in $(xdotool search --onlyvisible --class orvane 2>/dev/null); do
        xwininfo -id "$id" | grep -Eq 'Width: (1[0-9]{3}|[2-9][0-9]{3})$' && return 0
    done
    return 1
}
wait_for() { # SECONDS COMMAND...
    for _ in $(seq $(($1 * 10))); do "${@:2}" && return 0; sleep 0.1; done
    return 1
}

"$ORVANE" "$PICTURE" >"$work/orvane.log" 2>&1 &
pid=$!
wait_for 60 editor_shown || { echo "the editor did not open"; cat "$work/orvane.log"; exit 1; }
sleep 1
# The hide button: fourth button width (35 px) from the right edge of the 1280 px screen.
xdotool mousemove --sync $((1280 - 4 * 35 + 17)) 21 click 1
wait_for 20 eval '! editor_shown' || { echo "the editor did not hide"; exit 1; }
# The pointer rests away from everything; what hiding leaves to do settles first.
xdotool mousemove 640 600
sleep 2

o0=$(cpu_ticks "$pid"); p0=$(cpu_ticks "$TRAYER_PID")
sleep "$SECONDS_IDLE"
o1=$(cpu_ticks "$pid"); p1=$(cpu_ticks "$TRAYER_PID")
kill -0 "$pid" 2>/dev/null || { echo "orvane ended during the measurement"; exit 1; }
hz=$(getconf CLK_TCK)
printf 'CPU over %s s idle, editor loaded and hidden: orvane %d ticks, idle tray host (trayer) %d ticks (1 tick = %s ms; goal: orvane 0)\n' \
    "$SECONDS_IDLE" "$((o1 - o0))" "$((p1 - p0))" "$((1000 / hz))"

# The editor shown, restored from a journal with N annotations, the pointer resting over
# the canvas: its CPU over the same seconds must not grow with N (the magnifier's tick is
# the only work left), so 10,000 annotations are measured beside one.
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
pid=
message_box() { # a small orvane window: the restore question
    local id
    for id in $(xdotool search --onlyvisible --class orvane 2>/dev/null); do
        xwininfo -id "$id" | grep -Eq 'Width: ([1-7][0-9]{2})$' && { echo "$id"; return 0; }
    done
    return 1
}
shown_ticks() { # N: prints the ticks over SECONDS_IDLE with the editor showing N annotations
    "@JOURNAL_MAKER@" "$1" >/dev/null || { echo "the journal was not written" >&2; return 1; }
    "$ORVANE" >"$work/orvane-$1.log" 2>&1 &
    pid=$!
    wait_for 60 message_box >/dev/null || { echo "no restore question" >&2; return 1; }
    local box try
    for try in 1 2 3; do # Return restores; pressed again only while the box stays
        box=$(message_box) || break
        xdotool windowfocus --sync "$box" 2>/dev/null
        sleep 0.3
        xdotool key Return
        wait_for 5 eval '! message_box >/dev/null' && break
    done
    wait_for 60 editor_shown || { echo "the editor did not show" >&2; return 1; }
    xdotool mousemove 700 500
    sleep 3
    local a b
    a=$(cpu_ticks "$pid")
    sleep "$SECONDS_IDLE"
    b=$(cpu_ticks "$pid")
    kill -0 "$pid" 2>/dev/null || { echo "orvane ended during the measurement" >&2; return 1; }
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    pid=
    rm -rf "$HOME/.local/state/orvane"/journal-*
    echo $((b - a))
}
one=$(shown_ticks 1) || exit 1
many=$(shown_ticks 10000) || exit 1
printf 'CPU over %s s idle, editor shown, pointer on the canvas: 10,000 annotations %d ticks, 1 annotation %d ticks (goal: the same, the magnifier tick only)\n' \
    "$SECONDS_IDLE" "$many" "$one"
