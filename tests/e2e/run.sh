#!/usr/bin/env bash
# Runs one end-to-end test script on a display of its own: a fresh Xvfb with a
# tray host (trayer). Everything started here is ended when the script ends.
set -u
test_script="$1"
: "${ORVANE_BIN:?ORVANE_BIN must name the orvane binary}"

export E2E_WORK
E2E_WORK="$(mktemp -d "${TMPDIR:-/tmp}/orvane-e2e.XXXXXX")"
export HOME="$E2E_WORK/home" XDG_RUNTIME_DIR="$E2E_WORK/run"
mkdir -p "$HOME/Desktop" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# Xvfb picks a free display itself and writes its number to the file, so two
# tests started at the same moment never share a display.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$E2E_WORK/display" \
    >"$E2E_WORK/xvfb.log" 2>&1 &
xvfb_pid=$!
cleanup() {
    pkill -P $$ >/dev/null 2>&1
    [ -n "${ORVANE_PID:-}" ] && kill "$ORVANE_PID" >/dev/null 2>&1
    kill "$xvfb_pid" >/dev/null 2>&1
    wait >/dev/null 2>&1
    if [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$E2E_WORK"; fi
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$E2E_WORK/display" ] && break; sleep 0.1; done
[ -s "$E2E_WORK/display" ] || { echo "Xvfb did not start"; cat "$E2E_WORK/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n 1 "$E2E_WORK/display")"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
    --transparent false --tint 0x202020 >"$E2E_WORK/trayer.log" 2>&1 &
sleep 0.5
bash "$test_script"
status=$?
if [ $status -ne 0 ] && [ -f "$E2E_WORK/orvane.log" ]; then
    echo "--- orvane log ---"; cat "$E2E_WORK/orvane.log"
fi
exit $status
