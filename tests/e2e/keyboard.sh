#!/usr/bin/env bash
# Keys through XTEST, read back through the clipboard; the copy outliving
# the window when no clipboard manager runs.
source "$(dirname "$0")/lib.sh"

start_x
start_app
win=$(wait_window)
xdotool windowfocus --sync "$win"

# Opens on 28 February 2026: two days on and a week on is Monday 9 March.
xdotool key Right Right Down ctrl+c
sleep 0.3
expect_eq "the copy after Right Right Down" \
    "$(timeout 5 xclip -o -selection clipboard)" "Monday, March 9, 2026"

xdotool key Escape
for i in $(seq 40); do
    xdotool search --onlyvisible --name '^Dayvane$' >/dev/null 2>&1 || break
    sleep 0.05
done
xdotool search --onlyvisible --name '^Dayvane$' >/dev/null 2>&1 && fail "the window stayed after Esc"
pass "Esc removes the window at once"

sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended and took the copy with it"
expect_eq "the copy is still there after Esc" \
    "$(timeout 5 xclip -o -selection clipboard)" "Monday, March 9, 2026"

echo "something else" | xclip -selection clipboard
wait_exit 5
expect_eq "another program taking the clipboard ends it with status 0" "$STATUS" 0

# Without a copy, Esc ends the program straight away.
start_app
win=$(wait_window)
xdotool windowfocus --sync "$win"
xdotool key Escape
wait_exit 2
expect_eq "Esc without a copy ends the program with status 0" "$STATUS" 0

# With a clipboard manager running, Esc after a copy hands the copy over and
# ends the program.
/usr/bin/python3 "$HERE/clipboard_manager.py" >"$WORK/manager.out" 2>"$WORK/manager.err" &
PIDS+=($!)
for i in $(seq 100); do
    grep -q ready "$WORK/manager.out" 2>/dev/null && break
    sleep 0.05
done
grep -q ready "$WORK/manager.out" || fail "the clipboard manager did not start: $(cat "$WORK/manager.err")"
start_app
win=$(wait_window)
xdotool windowfocus --sync "$win"
xdotool key Left ctrl+c Escape
wait_exit 3
expect_eq "Esc with a clipboard manager ends the program with status 0" "$STATUS" 0
expect_eq "the clipboard manager saved the copy" "$(sed -n 2p "$WORK/manager.out")" \
    "Friday, February 27, 2026"
