#!/usr/bin/env bash
# The real window on a real X server: caption, class, fixed size, centring,
# and the close box ending the program with status 0.
source "$(dirname "$0")/lib.sh"

start_x 1000x800
start_app
win=$(wait_window)

expect_eq "WM_NAME" "$(xprop -id "$win" WM_NAME)" 'WM_NAME(STRING) = "Dayvane"'
expect_eq "_NET_WM_NAME" "$(xprop -id "$win" _NET_WM_NAME)" '_NET_WM_NAME(UTF8_STRING) = "Dayvane"'
expect_eq "WM_CLASS" "$(xprop -id "$win" WM_CLASS)" 'WM_CLASS(STRING) = "dayvane", "Ordwyn Dayvane"'
xprop -id "$win" _NET_WM_WINDOW_TYPE | grep -q '_NET_WM_WINDOW_TYPE_UTILITY' ||
    fail "not a utility window: $(xprop -id "$win" _NET_WM_WINDOW_TYPE)"
pass "utility window"

icons=$(xprop -id "$win" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort | tr '\n' ' ')
expect_eq "the application icon in both sizes" "$icons" "Icon (16 x 16) Icon (32 x 32) "
# Desktops on X11 match the window to its desktop entry by class.
grep -qx 'StartupWMClass=Ordwyn Dayvane' "$HERE/../../resources/com.ordwyn.Dayvane.desktop.in" ||
    fail "the desktop entry's StartupWMClass is not the window's class"
pass "the desktop entry names the window's class"

hints=$(xprop -id "$win" WM_NORMAL_HINTS)
grep -q 'program specified minimum size: 564 by 671' <<<"$hints" || fail "minimum size: $hints"
grep -q 'program specified maximum size: 564 by 671' <<<"$hints" || fail "maximum size: $hints"
pass "fixed size 564 x 671"

eval "$(xdotool getwindowgeometry --shell "$win")"
expect_eq "size" "${WIDTH}x${HEIGHT}" "564x671"
# Centred on the 1000 x 800 screen, to the pixel that rounding allows.
[ "$X" -ge 217 ] && [ "$X" -le 219 ] && [ "$Y" -ge 63 ] && [ "$Y" -le 66 ] ||
    fail "not centred: at $X,$Y"
pass "centred at $X,$Y"

close_box "$win"
wait_exit 5
expect_eq "close box ends the program with status 0" "$STATUS" 0
