#!/usr/bin/env bash
# The workbench window as it first opens (--workbench, no game booted), on a
# real X server, against a reviewed picture: its panels, their places, the
# bar and the text. On a difference the picture taken is left in
# workbench_failure.png in the current directory for review.
#
#   workbench_golden.sh BEVOREL WINDOW_PIXELS GOLDEN.png
set -u
program=$1 pixels=$2 golden=$3
for tool in Xvfb xdotool evilwm; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/install-deps.sh installs it)"; exit 1; }
done
work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -KILL "${pids[i]}" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for log in xvfb wm console; do [[ -s $work/$log.log ]] && { echo "--- $log:"; tail -n 8 "$work/$log.log"; }; done
    exit 1
}

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds or the time is up.
wait_for() {
    local limit=$1 what=$2
    shift 2
    local deadline=$((${EPOCHREALTIME/./} + limit * 1000000))
    until "$@"; do
        ((${EPOCHREALTIME/./} < deadline)) || fail "no $what within $limit s"
        sleep 0.05
    done
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 20 "display number from Xvfb" test -s "$work/display"
export DISPLAY=:$(head -n 1 "$work/display")
evilwm -fn fixed 2>"$work/wm.log" &
pids+=($!)
wait_for 20 "window manager" xdotool get_desktop
mkdir -p "$work/home"
env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" "$program" --workbench \
    >"$work/console.log" 2>&1 &
pids+=($!)
find_workbench() { win=$(xdotool search --name 'Workbench$' 2>/dev/null | head -n 1); [[ -n $win ]]; }
wait_for 20 "workbench window" find_workbench
xdotool mousemove 1020 760  # the pointer clear of the window
# The picture once two captures in a row agree (the panels settle over the first draws).
settled() {
    find_workbench &&  # afresh: SDL may replace the first X window it made
        "$pixels" "$win" png "$work/a.png" 2>/dev/null && "$pixels" "$win" png "$work/b.png" 2>/dev/null &&
        cmp -s "$work/a.png" "$work/b.png"
}
wait_for 20 "settled workbench picture" settled
if ! cmp -s "$work/a.png" "$golden"; then
    cp "$work/a.png" "$PWD/workbench_failure.png"
    fail "the workbench differs from $golden; see $PWD/workbench_failure.png"
fi
echo "PASS: the workbench matches $golden"
