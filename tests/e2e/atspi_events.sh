#!/usr/bin/env bash
# Runs a Qt Test program on a real X server with an accessibility bus, where
# Qt's accessibility is live and its events are delivered (the offscreen
# platform has no accessibility backend).
source "$(dirname "$0")/lib.sh"

start_x
start_atspi
"$APP" accessibleName announcements
