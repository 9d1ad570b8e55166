#!/usr/bin/env bash
# Runs a Qt Test program on a real X server with an accessibility bus, where
# Qt's accessibility is live and its events are delivered (the offscreen
# platform has no accessibility backend).
source "$(dirname "$0")/lib.sh"

start_x
export APP HERE
dbus-run-session -- bash -c '
    source "$HERE/lib.sh" "$APP"
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$WORK/atspi.log" 2>&1 &
    PIDS+=($!)
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$APP" accessibleName announcements
'
