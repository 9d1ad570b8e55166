#!/usr/bin/env bash
# No X server and no Wayland compositor: one clear line, status 1, no abort.
source "$(dirname "$0")/lib.sh"

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$APP" >"$WORK/out" 2>"$WORK/err" || status=$?
expect_eq "exit status" "$status" 1
grep -q '^dayvane: cannot open a display' "$WORK/err" || fail "stderr: $(cat "$WORK/err")"
expect_eq "one line on stderr" "$(grep -vc 'XDG_RUNTIME_DIR' "$WORK/err")" 1
pass "says it cannot open a display"

status=0
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:99999 "$APP" >"$WORK/out" 2>"$WORK/err" || status=$?
expect_eq "an unreachable DISPLAY: exit status" "$status" 1
