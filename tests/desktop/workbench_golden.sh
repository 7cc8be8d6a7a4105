#!/usr/bin/env bash
# The workbench window as it first opens (--workbench, no game booted), on a
# real X server, against a reviewed picture: its panels, their places, the
# bar and the text. On a difference the picture taken is left in
# workbench_failure.png in the current directory for review.
#
#   workbench_golden.sh BEVOREL WINDOW_PIXELS GOLDEN.png
set -u
program=$1 pixels=$2 golden=$3
source "$(dirname "${BASH_SOURCE[0]}")/x_session.sh"
mkdir -p "$work/home"
env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" "$program" --workbench \
    >"$work/console" 2>&1 &
program_pid=$!
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
