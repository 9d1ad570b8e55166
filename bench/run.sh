#!/usr/bin/env bash
# Start-up, memory and key-to-repaint benchmark of Dayvane against the
# toolkit floor (bench/floor.cpp: a Qt window holding one QLabel).
#
#   bench/run.sh                 the full run: a warm-up round and 7 rounds
#   bench/run.sh --rounds N      N measured rounds (at least 1)
#   bench/run.sh --keys N        N timed Right presses per Dayvane round (200)
#   bench/run.sh --quick         3 rounds of 50 presses, to try the set-up
#
# Installs whatever is missing from Debian's archive, builds the application
# and the benchmark's own programs in build-bench/, starts a private X server
# with a D-Bus session and the AT-SPI bus, as on a desktop, and measures the
# two programs in turn, one after the other in every round. It prints one
# table; the raw figures of the run stay in build-bench/bench-results/.
#
# The figures are medians over the rounds of one run, and the ratios compare
# figures of that same run: on a shared machine only figures taken side by
# side mean anything. bench/xmeasure.cpp says how each figure is taken.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build-bench
TOOLS=$BUILD/bench-tools
RESULTS=$BUILD/bench-results

rounds=7
keys=200
first_frame_quiet_ms=200
key_quiet_ms=50
inside=0
while [ $# -gt 0 ]; do
    case $1 in
    --rounds) rounds=${2:?}; shift 2 ;;
    --keys) keys=${2:?}; shift 2 ;;
    --quick) rounds=3; keys=50; shift ;;
    --inside) inside=1; shift ;;
    *)
        sed -n '2,10s/^# \{0,1\}//p' "$0" >&2
        exit 2
        ;;
    esac
done
[[ $rounds =~ ^[1-9][0-9]*$ && $keys =~ ^[0-9]+$ ]] || { echo "bad --rounds or --keys" >&2; exit 2; }

# ---------------------------------------------------------------- clean-up
# Shared by the two halves of the script: the outer one (packages, build, X
# server, report) and the one it runs inside the D-Bus session (AT-SPI bus
# and the measuring), which it calls with --inside.

# PID and everything under it, deepest first.
tree_of() {
    local child
    for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
        tree_of "$child"
    done
    echo "$1"
}

alive() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [[ $state != Z* ]]
}

# wait_gone PID SECONDS
wait_gone() {
    local i
    for ((i = 0; i < $2 * 20; i++)); do
        alive "$1" || return 0
        sleep 0.05
    done
    return 1
}

# Ends PID and what it started, children before parents (so that every
# process is reaped by its own parent): SIGTERM, then SIGKILL after 3 s.
stop_tree() {
    local pid
    for pid in $(tree_of "$1"); do
        alive "$pid" || continue
        kill -TERM "$pid" 2>/dev/null || continue
        wait_gone "$pid" 3 || kill -KILL "$pid" 2>/dev/null || true
    done
    return 0
}

fail() {
    echo "bench: $*" >&2
    exit 1
}

STARTED=() # what this half started, in the order started
stopped() {
    [ "$inside" = 1 ] || echo "bench: stopped by a signal; cleaning up" >&2
    exit "$1"
}
trap 'stopped 130' INT
trap 'stopped 143' TERM
trap 'stopped 129' HUP

if [ "$inside" = 1 ]; then
    # ------------------------------------------------------------ inside
    cleanup_inside() {
        local status=$? i
        trap - EXIT INT TERM HUP
        for ((i = ${#STARTED[@]} - 1; i >= 0; i--)); do
            stop_tree "${STARTED[i]}"
        done
        wait 2>/dev/null || true
        exit "$status"
    }
    trap cleanup_inside EXIT
    # Our own messages go where the outer half's go; the bus daemon's stay in
    # its log.
    exec 2>&9 9>&-
    echo $$ >"$WORK/inside.pid"
    # The bus daemon is our sibling under dbus-run-session; should that one
    # be killed first, the outer half still finds the daemon by this.
    ps -o pid=,comm= --ppid "$PPID" | awk '$2 == "dbus-daemon" { print $1 }' >"$WORK/bus.pid"

    spi=
    for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
        [ -x "$candidate" ] && { spi=$candidate; break; }
    done
    [ -n "$spi" ] || fail "no at-spi-bus-launcher (package at-spi2-core)"
    "$spi" --launch-immediately >"$WORK/at-spi.log" 2>&1 &
    STARTED+=($!)
    # Asked of the bus itself, so that the question does not start a second
    # launcher through D-Bus activation.
    a11y_up() {
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
    }
    for _ in $(seq 100); do
        a11y_up && break
        sleep 0.05
    done
    a11y_up || fail "the AT-SPI bus did not come up: $(cat "$WORK/at-spi.log")"

    log=$RESULTS/results.txt
    # measure ROUND PROGRAM: one start, measured, appended to the results.
    measure() {
        local round=$1 name=$2 line pid status=0
        local args=(--quiet "$first_frame_quiet_ms" --log "$RESULTS/$name.log")
        local cmd=$FLOOR
        if [ "$name" = dayvane ]; then
            cmd=$DAYVANE
            [ "$keys" -gt 0 ] && args+=(--keys "$keys" --key-quiet "$key_quiet_ms"
                --key-log "$RESULTS/keys-$round.txt")
        fi
        local try
        for try in 1 2 3; do
            # In the background, so that a signal to this script is handled
            # at once, not after the measurement.
            "$XMEASURE" "${args[@]}" -- "$cmd" >"$WORK/line" &
            pid=$!
            STARTED+=("$pid")
            status=0
            wait "$pid" || status=$?
            unset 'STARTED[${#STARTED[@]}-1]'
            line=$(cat "$WORK/line")
            [ "$status" -eq 0 ] || fail "round $round, $name: no settled window: $line (see $RESULTS/$name.log)"
            [[ $line == *" late=0 "* ]] && break
            # The window was mapped before its damage watch was in place:
            # a first paint may have gone unseen, so this start is measured
            # again.
            echo "round=$round program=$name try=$try $line" >>"$RESULTS/late.txt"
            printf '  %-7s (the damage watch came late; measuring this start again)\n' "$name"
        done
        [[ $line == *" late=0 "* ]] || fail "round $round, $name: the damage watch came late three times: $line"
        echo "round=$round program=$name $line" >>"$log"
        printf '  %-7s %s\n' "$name" "$line"
    }

    echo "Measuring on $DISPLAY: a warm-up round, then $rounds rounds"
    for ((r = 0; r <= rounds; r++)); do
        if [ $r -eq 0 ]; then echo "round 0 (warm-up, not counted)"; else echo "round $r"; fi
        # Each program goes first in every other round.
        if ((r % 2)); then
            measure $r floor
            measure $r dayvane
        else
            measure $r dayvane
            measure $r floor
        fi
    done
    exit 0
fi

# ---------------------------------------------------------------- packages
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libxcb1-dev libfontconfig-dev
    libxkbcommon-dev fonts-dejavu-core
    libxcb-damage0-dev libxcb-xtest0-dev xvfb dbus at-spi2-core locales procps)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "All ${#packages[@]} packages needed are installed."
else
    echo "Installing missing packages: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# ---------------------------------------------------------------- build
# The tests are not needed here, and leaving them out keeps the benchmark
# building while they are being changed.
echo "Building the application and the benchmark programs in $BUILD"
mkdir -p "$BUILD"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    >"$BUILD/configure.log" 2>&1 || { cat "$BUILD/configure.log" >&2; exit 1; }
cmake --build "$BUILD" --target dayvane
cmake -S "$ROOT/bench" -B "$TOOLS" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$TOOLS"
DAYVANE=$BUILD/dayvane
FLOOR=$TOOLS/floor
XMEASURE=$TOOLS/xmeasure

# ---------------------------------------------------------------- locale
# Every run is in US English. Where the system has not generated that
# locale, a private copy is compiled once and found through LOCPATH.
if ! locale -a 2>/dev/null | grep -qix 'en_US\.utf-\{0,1\}8'; then
    if [ ! -e "$BUILD/locale/en_US.UTF-8/LC_CTYPE" ]; then
        echo "Compiling the en_US.UTF-8 locale into $BUILD/locale"
        mkdir -p "$BUILD/locale"
        localedef -i en_US -f UTF-8 "$BUILD/locale/en_US.UTF-8"
    fi
    export LOCPATH=$BUILD/locale
fi
# (This shell itself may not see a private locale; it need not.)
{ export LC_ALL=en_US.UTF-8; } 2>/dev/null

# ---------------------------------------------------------------- desktop
WORK=$(mktemp -d)
cleanup() {
    local status=$? i pid
    trap - EXIT INT TERM HUP
    # The inner half first: it ends the program being measured and the
    # AT-SPI bus; dbus-run-session then ends the session bus.
    if [ -s "$WORK/inside.pid" ]; then
        pid=$(cat "$WORK/inside.pid")
        if alive "$pid"; then
            kill -TERM "$pid" 2>/dev/null || true
            wait_gone "$pid" 10 || stop_tree "$pid"
        fi
    fi
    for ((i = ${#STARTED[@]} - 1; i >= 0; i--)); do
        stop_tree "${STARTED[i]}"
    done
    if [ -s "$WORK/bus.pid" ]; then
        pid=$(cat "$WORK/bus.pid")
        [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = dbus-daemon ] && stop_tree "$pid"
    fi
    wait 2>/dev/null || true
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT

# Only what the measured programs are given.
for v in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do unset "$v"; done
unset WAYLAND_DISPLAY SESSION_MANAGER XDG_SESSION_TYPE XDG_CURRENT_DESKTOP DESKTOP_SESSION \
    GTK_MODULES XMODIFIERS LANGUAGE LANG LC_TIME DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -noreset 9>"$WORK/display" \
    >"$WORK/xvfb.log" 2>&1 &
STARTED+=($!)
for _ in $(seq 200); do
    [ -s "$WORK/display" ] && break
    sleep 0.05
done
[ -s "$WORK/display" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=":$(head -n1 "$WORK/display")"

rm -rf "$RESULTS"
mkdir -p "$RESULTS"
log=$RESULTS/results.txt
export WORK RESULTS DAYVANE FLOOR XMEASURE
dbus-run-session -- bash "$ROOT/bench/run.sh" --inside --rounds "$rounds" --keys "$keys" \
    9>&2 2>"$RESULTS/session-bus.log" &
STARTED+=($!)
wait $! || fail "the measuring stopped"

# ---------------------------------------------------------------- report
# field PROGRAM NAME: the figure NAME of every counted round of PROGRAM.
field() {
    awk -v p="program=$1" -v k="$2" '$1 != "round=0" && $2 == p {
        for (i = 3; i <= NF; i++) { n = index($i, "="); if (substr($i, 1, n - 1) == k) print substr($i, n + 1) } }' "$log"
}
# The median of the numbers on standard input, or n/a.
median() {
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# The nearest-rank 95th percentile of the numbers on standard input.
p95() {
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "n/a"; exit } r = int(0.95 * NR); if (r < 0.95 * NR) r++; print v[r] }'
}
fmt() { [ "$1" = n/a ] && echo n/a || printf "%.${2}f" "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

dv_ff=$(field dayvane first_frame_ms | median)
fl_ff=$(field floor first_frame_ms | median)
dv_pss=$(field dayvane pss_mib | median)
fl_pss=$(field floor pss_mib | median)
dv_rss=$(field dayvane rss_mib | median)
fl_rss=$(field floor rss_mib | median)
key_files=()
for ((r = 1; r <= rounds; r++)); do
    [ -f "$RESULTS/keys-$r.txt" ] && key_files+=("$RESULTS/keys-$r.txt")
done
if [ ${#key_files[@]} -gt 0 ]; then
    key_med=$(awk '{ print $1 }' "${key_files[@]}" | median)
    key_p95=$(awk '{ print $1 }' "${key_files[@]}" | p95)
    key_n=$(cat "${key_files[@]}" | wc -l)
else
    key_med=n/a key_p95=n/a key_n=0
fi
dv_cpu=$(field dayvane cpu_ms | median)
fl_cpu=$(field floor cpu_ms | median)
key_missed=$(field dayvane key_missed | awk '{ s += $1 } END { print s + 0 }')
# The first-frame ratio round by round, each from two starts side by side.
paired=$(paste <(field dayvane first_frame_ms) <(field floor first_frame_ms) \
    | awk '{ print $1 / $2 }' | median)

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
mem=$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
qt=$(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null || echo '?')
rev=$(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo '?')
[ -n "$(git -C "$ROOT" status --porcelain --untracked-files=no -- src resources CMakeLists.txt 2>/dev/null)" ] && rev="$rev+changes"

{
    echo
    echo "Dayvane $rev, $(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) CPUs, $cpu, $mem;"
    echo "Debian $(cat /etc/debian_version), kernel $(uname -r), Qt $qt, Xvfb 1280x1024x24;"
    late=0
    [ -f "$RESULTS/late.txt" ] && late=$(wc -l <"$RESULTS/late.txt")
    echo "$rounds rounds after a warm-up, $key_n timed Right presses ($key_missed missed), $late starts measured again;"
    echo "start-up settles after ${first_frame_quiet_ms} ms without damage, a key's repaint after ${key_quiet_ms} ms."
    echo
    echo "| program | first frame, median ms | PSS, median MiB | RSS, median MiB | key-to-repaint, median ms | key-to-repaint, p95 ms |"
    echo "|---|---:|---:|---:|---:|---:|"
    echo "| dayvane | $(fmt "$dv_ff" 1) | $(fmt "$dv_pss" 1) | $(fmt "$dv_rss" 1) | $(fmt "$key_med" 2) | $(fmt "$key_p95" 2) |"
    echo "| floor | $(fmt "$fl_ff" 1) | $(fmt "$fl_pss" 1) | $(fmt "$fl_rss" 1) | n/a | n/a |"
    echo "| dayvane / floor | $(ratio "$dv_ff" "$fl_ff") | $(ratio "$dv_pss" "$fl_pss") | $(ratio "$dv_rss" "$fl_rss") | | |"
    echo
    verdict() { awk -v v="$1" -v t="$2" -v op="$3" 'BEGIN { ok = op == "le" ? v <= t : v < t; print ok ? "met" : "NOT met" }'; }
    echo "first frame, dayvane / floor: $(ratio "$dv_ff" "$fl_ff") (median of the per-round ratios $(fmt "$paired" 2)); target <= 1.10: $(verdict "$(ratio "$dv_ff" "$fl_ff")" 1.10 le)"
    # With key presses in its run, Dayvane's CPU time is not start-up alone.
    [ "$keys" -eq 0 ] && echo "CPU time of a whole run, start to close, median: dayvane $(fmt "$dv_cpu" 1) ms, floor $(fmt "$fl_cpu" 1) ms; ratio $(ratio "$dv_cpu" "$fl_cpu")"
    if [ "$key_med" != n/a ]; then
        echo "key-to-repaint median: $(fmt "$key_med" 2) ms; target < 4 ms: $(verdict "$key_med" 4 lt)"
    fi
} | tee "$RESULTS/table.md"
echo
echo "Raw figures: $RESULTS"
