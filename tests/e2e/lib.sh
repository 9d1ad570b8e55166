# Shared by the end-to-end tests: a private X server, the program under a
# pinned clock and locale, and clean-up on every way out.
set -euo pipefail

APP=${1:?usage: $0 path/to/dayvane}
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WORK=$(mktemp -d)
PIDS=()

cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

pass() {
    echo "PASS: $*"
}

# start_x WIDTHxHEIGHT: a new Xvfb on a free display number.
start_x() {
    local size=${1:-1280x1024}
    Xvfb -displayfd 9 -screen 0 "${size}x24" -nolisten tcp -noreset 9>"$WORK/display" \
        >"$WORK/xvfb.log" 2>&1 &
    PIDS+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.05
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=":$(head -n1 "$WORK/display")"
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
}

# start_atspi: a session bus of its own with the accessibility bus on it, so
# that nothing from the desktop running the tests answers; Qt's
# accessibility is switched on for the programs started after it.
start_atspi() {
    eval "$(dbus-launch --sh-syntax)"
    PIDS+=("$DBUS_SESSION_BUS_PID")
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$WORK/atspi.log" 2>&1 &
    PIDS+=($!)
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
}

# start_app: the program with today pinned to 31 March 2026 and US English.
# Sets APP_PID.
start_app() {
    FAKETIME_DONT_FAKE_MONOTONIC=1 LC_ALL=en_US.UTF-8 \
        faketime '2026-03-31 12:00:00' "$APP" >"$WORK/app.out" 2>"$WORK/app.err" &
    APP_PID=$!
    PIDS+=("$APP_PID")
}

# wait_window: the id of the mapped window titled "Dayvane".
wait_window() {
    local i id
    for i in $(seq 100); do
        id=$(xdotool search --onlyvisible --name '^Dayvane$' 2>/dev/null | head -n1) || true
        if [ -n "$id" ]; then
            echo "$id"
            return
        fi
        sleep 0.05
    done
    fail "no window titled Dayvane appeared: $(cat "$WORK/app.err")"
}

# wait_exit SECONDS: sets STATUS to the program's exit status, or fails
# when it runs on.
wait_exit() {
    local i
    for i in $(seq $(($1 * 20))); do
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            STATUS=0
            wait "$APP_PID" || STATUS=$?
            return
        fi
        sleep 0.05
    done
    fail "the program was still running after ${1}s"
}

# What a window manager sends when the user clicks the close box.
close_box() {
    /usr/bin/python3 - "$1" <<'PY'
import sys
from Xlib import X, display, protocol
d = display.Display()
w = d.create_resource_object('window', int(sys.argv[1]))
protocols = d.intern_atom('WM_PROTOCOLS')
delete = d.intern_atom('WM_DELETE_WINDOW')
assert delete in (w.get_wm_protocols() or []), 'the window does not take WM_DELETE_WINDOW'
w.send_event(protocol.event.ClientMessage(window=w, client_type=protocols,
                                          data=(32, [delete, X.CurrentTime, 0, 0, 0])))
d.flush()
PY
}

expect_eq() {
    [ "$2" = "$3" ] || fail "$1: expected '$3', got '$2'"
    pass "$1"
}
