# Sourced by scripts that need a display of their own: the end-to-end tests and
# the start-up benchmark.
#
# start_display WORKDIR [TRAYER ARGS...]: starts Xvfb (1280x800) on a display it
# picks itself, so that sessions started at the same moment never share one,
# exports DISPLAY and XVFB_PID, and starts a tray host (trayer) at the top right
# (start_tray_host; TRAYER_PID).
# Returns 1, with Xvfb's log on standard output, when Xvfb does not come up.
start_display() {
    local work="$1"; shift
    # A server started at the same moment by someone else can take the display
    # number this one picked: such a start fails at once and is tried again.
    # Servers are started one at a time (a lock shared by every session of the
    # user): two picking a display together can both take the same number, and
    # the loser may take the winner's socket down with it.
    exec 8>"${TMPDIR:-/tmp}/orvane-xvfb-$(id -u).lock"
    flock -w 60 8 || true
    for _ in 1 2 3; do
        start_server "$work" && { flock -u 8; exec 8>&-; start_tray_host "$work" "$@"; return 0; }
        kill "$XVFB_PID" >/dev/null 2>&1
        sleep 1
    done
    flock -u 8
    exec 8>&-
    cat "$work/xvfb.log"
    return 1
}

# start_server WORKDIR: one try at starting Xvfb (see start_display).
start_server() {
    local work="$1"
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 8>&- \
        >"$work/xvfb.log" 2>&1 &
    export XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { echo "Xvfb did not start"; return 1; }
    export DISPLAY=":$(head -n 1 "$work/display")"
    # A loaded machine can take seconds before the server answers.
    for _ in $(seq 300); do
        # (and the server that answers is this one, still running)
        xdpyinfo >/dev/null 2>&1 && sleep 0.2 && kill -0 "$XVFB_PID" 2>/dev/null && return 0
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb does not answer on $DISPLAY"
    return 1
}

# start_tray_host WORKDIR [TRAYER ARGS...]: a tray host at the top right (TRAYER_PID),
# waited for until its tray window (instance name "trayer", made when it takes
# the tray selection) and its panel are there, so a program started next finds
# a notification area.
# A tray host that ends or has not taken the tray within 20 s is started once more.
start_tray_host() {
    local work="$1"; shift
    for try in 1 2; do
        trayer --edge top --align right --widthtype pixel --width 120 --height 24 "$@" \
            >>"$work/trayer.log" 2>&1 &
        export TRAYER_PID=$!
        for _ in $(seq 200); do
            xdotool search --classname '^trayer$' >/dev/null 2>&1 &&
                xdotool search --onlyvisible --classname '^panel$' >/dev/null 2>&1 &&
                { sleep 0.2; return 0; }
            kill -0 "$TRAYER_PID" 2>/dev/null || break
            sleep 0.1
        done
        echo "(the tray host did not come up, try $try)" >&2
        kill "$TRAYER_PID" >/dev/null 2>&1
    done
}

# start_window_manager WORKDIR NAME: starts the window manager NAME (openbox; or
# xfwm4, which install-deps leaves out, for trying by hand) on
# the display, exports WM_PID, and waits until it has taken the screen (it
# announces itself on the root window). Returns 1, with its log, when it does not.
start_window_manager() {
    local work="$1" name="$2"
    # A window manager that dies at once (the display still busy) is started again.
    for _ in 1 2 3; do
        case "$name" in
            openbox) openbox --sm-disable >>"$work/wm.log" 2>&1 & ;;
            xfwm4) NO_AT_BRIDGE=1 dbus-run-session -- xfwm4 --compositor=off --sm-client-disable \
                >>"$work/wm.log" 2>&1 & ;;
            *) echo "unknown window manager: $name"; return 1 ;;
        esac
        export WM_PID=$!
        for _ in $(seq 300); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
            kill -0 "$WM_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$WM_PID" >/dev/null 2>&1
        sleep 1
    done
    echo "$name did not start"; cat "$work/wm.log"; return 1
}
