#!/usr/bin/env bash
# The Wayland session of one script (started by run.sh, as the user that runs it):
# a private session bus that starts no service of the system's, headless sway
# (pixman renderer, one 1280x800 output) whose swaybar is the notification area,
# and the stand-in Screenshot portal; then the script. Everything started here
# ends with it.
set -u
script="$1"
work="$E2E_WORK"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME/Desktop" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
    local p
    for p in "${ORVANE_PID:-}" "${pids[@]}"; do [ -n "$p" ] && kill "$p" 2>/dev/null; done
    pkill -P $$ 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
up() { for _ in $(seq $(($1 * 10))); do "${@:2}" && return 0; sleep 0.1; done; return 1; }

source "$(dirname "$0")/../private-bus.sh"
start_private_bus "$work" || { echo "FAIL: the session bus did not start"; exit 1; }
pids+=($BUS_PID)

cat >"$work/sway.conf" <<CONF
output HEADLESS-1 resolution 1280x800 position 0 0
default_border none
focus_follows_mouse no
bar {
    position top
    tray_output *
}
CONF
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=1 \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!
pids+=($sway_pid)
ipc() { compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" >/dev/null; }
up 30 ipc || { echo "FAIL: sway did not start"; tail -n 30 "$work/sway.log"; exit 1; }
export SWAYSOCK WAYLAND_DISPLAY
SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -n 1)
WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-* | grep -v lock | head -n 1)
# XWayland's display, as sway hands it to what it starts.
swaymsg -q exec "echo \$DISPLAY >'$work/x-display'"
up 10 test -s "$work/x-display"
export E2E_X_DISPLAY
E2E_X_DISPLAY=$(cat "$work/x-display" 2>/dev/null)
# swaybar serves the StatusNotifierWatcher once its tray is up.
watcher() { busctl --user status org.kde.StatusNotifierWatcher >/dev/null 2>&1; }
up 30 watcher || { echo "FAIL: swaybar's tray did not come up"; tail -n 30 "$work/sway.log"; exit 1; }

FAKE_PORTAL_LOG="$work/portal.log" "$FAKE_PORTAL" "$work" >"$work/portal.err" 2>&1 &
pids+=($!)
portal() { busctl --user status org.freedesktop.portal.Desktop >/dev/null 2>&1; }
up 20 portal || { echo "FAIL: the stand-in portal did not start"; cat "$work/portal.err"; exit 1; }

export QT_QPA_PLATFORM=wayland XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway
bash "$script"
status=$?
if [ $status -ne 0 ]; then
    [ -f "$work/orvane.log" ] && { echo "--- orvane log ---"; tail -n 40 "$work/orvane.log"; }
    echo "--- sway log ---"; tail -n 20 "$work/sway.log"
fi
kill -0 "$sway_pid" 2>/dev/null || { echo "FAIL: sway ended during the script"; status=1; }
exit $status
