#!/usr/bin/env bash
# What a screen reader hears: the calendar's name over AT-SPI at start-up,
# and the new name it announces after Right.
source "$(dirname "$0")/lib.sh"

start_x
start_atspi
start_app
win=$(wait_window)
xdotool windowfocus --sync "$win"

# Today is 31 March 2026; the calendar opens a month earlier, clamped.
/usr/bin/python3 "$HERE/atspi_calendar.py" -- xdotool key Right \
    >"$WORK/names" 2>"$WORK/atspi.err" ||
    fail "$(cat "$WORK/atspi.err") (program: $(cat "$WORK/app.err"))"
expect_eq "the calendar reads at start-up" "$(sed -n 1p "$WORK/names")" \
    "Saturday, February 28, 2026"
expect_eq "the calendar announces the next day after Right" "$(sed -n 2p "$WORK/names")" \
    "Sunday, March 1, 2026"
