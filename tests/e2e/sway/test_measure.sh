#!/usr/bin/env bash
# The screen measurement of the program on Wayland (see measure.sh).
source "$(dirname "$0")/measure.sh"
