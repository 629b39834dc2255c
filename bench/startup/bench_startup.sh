#!/usr/bin/env bash
# Start-up benchmark: time from launch to the tray icon's appearance, and the
# resident memory when idle in the tray, for orvane and for a bare Qt program
# that shows only a tray icon, measured in the same run on one Xvfb display.
set -u
ORVANE="@ORVANE_BIN@"
BARE="@BARE_BIN@"
ICON="@ICON@"
RUNS="${RUNS:-7}"

work=$(mktemp -d)
export HOME="$work" XDG_RUNTIME_DIR="$work/run"; mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
trap 'kill ${XVFB_PID:-} 2>/dev/null; pkill -P $$ 2>/dev/null; rm -rf "$work"' EXIT
source "@PROJECT_SOURCE_DIR@/scripts/xvfb-session.sh"
start_display "$work" || exit 1
sleep 1

# icon_shown CLASS: an embedded, viewable tray icon window of that class exists.
icon_shown() {
    local id
    for id in $(xdotool search --class "$1" 2>/dev/null); do
        xwininfo -id "$id" 2>/dev/null | grep -q IsViewable &&
            xwininfo -id "$id" | grep -Eq 'Width: ([0-9]|[1-5][0-9]|6[0-4])$' && return 0
    done
    return 1
}

# measure CLASS CMD...: prints "ms rss_kb" for one start.
measure() {
    local cls="$1"; shift
    local t0 t1 pid rss
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    pid=$!
    local tries=0
    until icon_shown "$cls"; do
        sleep 0.005
        tries=$((tries + 1))
        [ $tries -lt 4000 ] || { echo "no tray icon from $*" >&2; kill "$pid"; exit 1; }
    done
    t1=$(date +%s%N)
    sleep 2
    rss=$(awk '/VmRSS/{print $2}' "/proc/$pid/status")
    kill "$pid"; wait "$pid" 2>/dev/null
    sleep 0.3
    echo "$(( (t1 - t0) / 1000000 )) $rss"
}

median() { sort -n | awk '{a[NR]=$1} END{print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

: >"$work/o"; : >"$work/b"
for _ in $(seq "$RUNS"); do
    measure orvane "$ORVANE" >>"$work/o"
    measure peer_bare_tray "$BARE" "$ICON" >>"$work/b"
done
o_ms=$(cut -d' ' -f1 "$work/o" | median); b_ms=$(cut -d' ' -f1 "$work/b" | median)
o_kb=$(cut -d' ' -f2 "$work/o" | median); b_kb=$(cut -d' ' -f2 "$work/b" | median)
printf 'start to tray icon (median of %d): orvane %s ms, bare Qt tray %s ms, ratio %.2f (goal <= 1.5)\n' \
    "$RUNS" "$o_ms" "$b_ms" "$(echo "$o_ms / $b_ms" | bc -l)"
printf 'resident memory idle in the tray: orvane %s KiB, bare Qt tray %s KiB, ratio %.2f (goal <= 1.5)\n' \
    "$o_kb" "$b_kb" "$(echo "$o_kb / $b_kb" | bc -l)"
