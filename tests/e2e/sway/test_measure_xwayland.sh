#!/usr/bin/env bash
# The screen measurement of the program running under XWayland in the Wayland
# session (Qt's xcb platform): the copy still comes through the portal and shows
# the screen, not XWayland's black root window (see measure.sh). The strip docks
# inside the editor there too: as an X11 window of its own sway would place it in
# the middle, and a first click on it would only make it active.
[ -n "${E2E_X_DISPLAY:-}" ] && command -v Xwayland >/dev/null ||
    { echo "SKIPPED: XWayland is not installed"; exit 77; }
export QT_QPA_PLATFORM=xcb DISPLAY="$E2E_X_DISPLAY"
source "$(dirname "$0")/measure.sh"
