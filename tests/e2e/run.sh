#!/usr/bin/env bash
# Runs one end-to-end test script on a display of its own: a fresh Xvfb with a
# tray host (trayer), and a window manager when E2E_WM names one (openbox).
# Everything started here is ended when the script ends.
set -u
test_script="$1"
: "${ORVANE_BIN:?ORVANE_BIN must name the orvane binary}"

export E2E_WORK
E2E_WORK="$(mktemp -d "${TMPDIR:-/tmp}/orvane-e2e.XXXXXX")"
export HOME="$E2E_WORK/home" XDG_RUNTIME_DIR="$E2E_WORK/run"
mkdir -p "$HOME/Desktop" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

cleanup() {
    # The window manager with what it started (xfwm4 runs in a bus session of its own).
    [ -n "${WM_PID:-}" ] && { pkill -P "$WM_PID"; kill "$WM_PID"; } >/dev/null 2>&1
    pkill -P $$ >/dev/null 2>&1
    [ -n "${ORVANE_PID:-}" ] && kill "$ORVANE_PID" >/dev/null 2>&1
    kill "${XVFB_PID:-}" >/dev/null 2>&1
    wait >/dev/null 2>&1
    if [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$E2E_WORK"; fi
}
trap cleanup EXIT
source "$(dirname "$0")/../../scripts/xvfb-session.sh"
start_display "$E2E_WORK" --transparent false --tint 0x202020 || exit 1
if [ -n "${E2E_WM:-}" ]; then start_window_manager "$E2E_WORK" "$E2E_WM" || exit 1; fi
sleep 0.5
bash "$test_script"
status=$?
if [ $status -ne 0 ] && [ -f "$E2E_WORK/orvane.log" ]; then
    echo "--- orvane log ---"; cat "$E2E_WORK/orvane.log"
fi
if [ $status -ne 0 ]; then
    kill -0 "${TRAYER_PID:-0}" 2>/dev/null && echo "--- tray host running ---" ||
        echo "--- tray host ended ---"
    tail -n 20 "$E2E_WORK/trayer.log" 2>/dev/null
fi
exit $status
