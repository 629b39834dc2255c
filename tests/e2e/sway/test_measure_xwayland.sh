#!/usr/bin/env bash
# The screen measurement of the program running under XWayland in the Wayland
# session (Qt's xcb platform): the copy still comes through the portal and shows
# the screen, not XWayland's black root window (see measure.sh). The strip is an
# X11 window there, which sway places itself (in the middle), and the first click
# on it only makes it active, so neither its place nor its tools are tried here.
[ -n "${E2E_X_DISPLAY:-}" ] && command -v Xwayland >/dev/null ||
    { echo "SKIPPED: XWayland is not installed"; exit 77; }
export QT_QPA_PLATFORM=xcb DISPLAY="$E2E_X_DISPLAY" STRIP_DOCKED=0 STRIP_TOOLS=0
source "$(dirname "$0")/measure.sh"
