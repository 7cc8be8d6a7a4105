# Sourced by the desktop tests: a temporary directory, an X server of its
# own with a window manager, waiting with a deadline, and the cleanup that
# stops everything it started. The sourcing script sets `program_pid` when
# it starts the program and may define `fail` again (after sourcing).
for tool in Xvfb xdotool evilwm; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/install-deps.sh installs it)"; exit 1; }
done
work=$(mktemp -d /dev/shm/bevorel-desktop.XXXXXX 2>/dev/null || mktemp -d)
pids=()  # Xvfb, the window manager, the program: stopped in reverse order
program_pid=""
cleanup() {
    # The program is killed outright: SIGTERM only asks it to quit, which an
    # open alert holds up.
    [[ -n $program_pid ]] && kill -KILL "$program_pid" 2>/dev/null
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# The X server's and window manager's last words go with a failure.
fail() {
    echo "FAIL: $*"
    for log in xvfb wm; do [[ -s $work/$log.log ]] && { echo "--- $log:"; tail -n 5 "$work/$log.log"; }; done
    exit 1
}

running() { local stat; stat=$(cat "/proc/$1/stat" 2>/dev/null) && [[ $stat != *") Z "* ]]; }  # not even a zombie
alive() { [[ -n $program_pid ]] && running "$program_pid"; }

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds; fails
# the test when SECONDS pass first, or when the program dies meanwhile.
wait_for() {
    local limit=$1 what=$2
    shift 2
    local deadline=$((${EPOCHREALTIME/./} + limit * 1000000))
    until "$@"; do
        if [[ -n $program_pid ]] && ! alive; then
            wait "$program_pid"
            local status=$?
            program_pid=""
            fail "the program died (exit status $status) while waiting for $what"
        fi
        ((${EPOCHREALTIME/./} < deadline)) || fail "no $what within $limit s"
        sleep 0.02
    done
}

# The X server and its window manager; DISPLAY names it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 20 "display number from Xvfb" test -s "$work/display"
export DISPLAY=:$(head -n 1 "$work/display")
# The number can come before the server takes connections: a window manager
# started then finds no display and ends.
server_ready() { xdotool getdisplaygeometry >/dev/null 2>&1; }
wait_for 20 "X server answering on display $DISPLAY" server_ready
evilwm -fn fixed 2>"$work/wm.log" &
pids+=($!)
# (A window mapped while the manager starts can make SDL's XSetInputFocus fail.)
# A manager that ended at start (its reason is in wm.log) is started again.
wm_ready() {
    running "${pids[1]}" || { evilwm -fn fixed 2>>"$work/wm.log" & pids[1]=$!; }
    xdotool get_desktop >/dev/null 2>&1
}
wait_for 20 "window manager (it answers for the current desktop once it runs)" wm_ready
