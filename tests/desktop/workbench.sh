#!/usr/bin/env bash
# The workbench on a real X server with real X input. First as it opens with
# no game booted (--workbench), against a reviewed picture. Then on the
# booted demo with the demo's symbols, as a user works with it: pause, step,
# step over, frame step (the frame counter then holds still), the listing
# gone to a symbol and a breakpoint clicked there, the run stopped at it
# with the PC line in view, 5 steps keeping it in view, memory by symbol
# and by address, a byte written, a watchpoint from a byte's menu, a sprite
# picked on the picture (magnified, selected in the table and outlined), the
# pointer over the picture, the palettes and the graphics, panels opened from the menu, a
# watchpoint that stops the run, a trace, the Script panel's prompt and
# file, and the panels and the window's place kept in settings.ini at quit;
# then a profile and the call stack on the running demo.
# settings.ini at quit. Each action must visibly change the part of the
# window it acts on (the 68000 is stopped from the pause on, so nothing else
# moves there). On failure the picture taken is left in the current directory.
#
# A watch on the demo's frame count moves while it runs and holds while it
# is stopped, as does the frame counter.
#
#   workbench.sh BEVOREL WINDOW_PIXELS GOLDEN.png DEMO_ROMS DEMO_ELF
set -u
program=$1 pixels=$2 golden=$3 roms=$4 elf=$5
source "$(dirname "${BASH_SOURCE[0]}")/x_session.sh"
win=""
fail() {
    echo "FAIL: $*"
    find_workbench && "$pixels" "$win" png "$PWD/workbench_failure.png" &&
        echo "(the window's picture: $PWD/workbench_failure.png)"
    echo "window $win; active window $(xdotool getactivewindow 2>&1); focus $(xdotool getwindowfocus 2>&1)"
    echo "--- console:"; tail -n 5 "$work/console" 2>/dev/null
    exit 1
}
start() {
    (cd "$work" && exec env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
        "$program" "$@" >"$work/console" 2>&1) &
    program_pid=$!
    wait_for 20 "workbench window" find_workbench
    wait_for 20 "keyboard focus on the workbench" focused
    xdotool mousemove 2 2  # the pointer clear of the window (on this screen, at the right beside the main one)
}
focused() {
    find_workbench && xdotool windowactivate "$win" 2>/dev/null
    [[ $(xdotool getactivewindow 2>/dev/null) == "$win" ]]
}
mkdir -p "$work/home"
find_workbench() { win=$(xdotool search --name 'Workbench$' 2>/dev/null | head -n 1); [[ -n $win ]]; }

# --- As it opens, unbooted: the picture settles on the reviewed one -----------
start --workbench
like_golden() {
    find_workbench &&  # afresh: SDL may replace the first X window it made
        "$pixels" "$win" png "$work/a.png" 2>/dev/null && cmp -s "$work/a.png" "$golden"
}
wait_for 20 "workbench picture like $golden" like_golden
kill -KILL "$program_pid"; wait "$program_pid" 2>/dev/null; program_pid=""

# --- Booted, used --------------------------------------------------------------
start --boot --workbench --symbols "$elf" "$roms"
hash() { find_workbench && "$pixels" "$win" hash $1 2>/dev/null; }  # afresh, as above
differs() { local now; now=$(hash "$1") && [[ $now != "$2" ]]; }
# act WHAT "X Y W H" COMMAND...: COMMAND must change the area within 10 s.
act() {
    local what=$1 area=$2 before
    shift 2
    # Just after a start the window found may still be the one SDL replaces.
    readable() { before=$(hash "$area"); }
    wait_for 10 "the window readable before $what" readable
    "$@"
    wait_for 10 "$what" differs "$area" "$before"
}
at() { xdotool mousemove --window "$win" "$1" "$2"; }
click() { at "$1" "$2"; xdotool click "${3:-1}"; }
# type_in X Y TEXT: TEXT and Return into the empty field at X Y, typed once a
# frame shows the field taking the keys (its text cursor, at its left edge,
# up to 200 pixels left of the click): keys typed before the click is drawn
# could reach no field.
type_in() {
    local left=$(($1 > 200 ? $1 - 200 : 0)) before
    local row="$left $(($2 - 6)) $(($1 + 60 - left)) 12"
    before=$(hash "$row")
    click "$1" "$2"
    wait_for 10 "the field at $1,$2 taking the keys" differs "$row" "$before"
    xdotool type "$3"
    xdotool key Return
}
bar="0 0 980 18" pc="0 260 440 40" listing="0 390 440 300" memory="450 75 500 240" picture="452 352 256 224"
frame_line="0 68 440 18" watch_value="600 88 120 16" magnified="452 578 256 110" table="712 374 262 316"
# The PC line (its colour, at the left of the listing's rows) in view.
pc_visible() {
    local points=() y
    for ((y = 394; y < 690; y += 3)); do points+=(14 "$y"); done
    find_workbench && "$pixels" "$win" at "${points[@]}" 2>/dev/null | grep -q '^FFC740$'
}
grep -q "^--symbols: [0-9]* names from " "$work/console" || fail "no symbols read from $elf"
first=$(hash "$picture")
wait_for 20 "moving picture in the Sprites panel" differs "$picture" "$first"

# A watch on status.frame (0x100010): it changes while the game runs, not
# while it is stopped.
act "the Panels menu" "0 88 215 40" click 30 9
act "the Watch panel opened" "450 25 420 220" click 60 151
act "a watch added" "450 88 410 16" type_in 520 57 100010
running=$(hash "$watch_value")
wait_for 10 "the watched frame count moving while running" differs "$watch_value" "$running"
act "Paused in the bar" "$bar" click 62 57
stopped=$(hash "$watch_value") frame=$(hash "$frame_line")
act "the listing at a symbol" "$listing" type_in 80 378 main
[[ $(hash "$watch_value") == "$stopped" ]] || fail "the watched frame count moved while stopped"
[[ $(hash "$frame_line") == "$frame" ]] || fail "the frame counter moved while stopped"
act "the Panels menu" "0 88 215 40" click 30 9
act "the Watch panel closed" "450 25 420 220" click 60 151
act "the PC moved by Step" "$pc" click 106 57
act "the PC moved by Step over" "$pc" click 165 57
act "Frame stepped in the bar" "$bar" click 310 57
act "the listing at another symbol" "$listing" type_in 80 378 scene_frame  # in place of the one before
pc_visible && fail "the PC line in view in the listing of scene_frame"
act "a breakpoint on scene_frame, the line centred" "$bar" click 60 541
act "the listing scrolled away from scene_frame" "$listing" xdotool click --repeat 8 5
act "the run in the bar" "$bar" click 22 57
wait_for 10 "the PC line in view, stopped at the breakpoint" pc_visible
for step in 1 2 3 4 5; do
    act "the PC moved by Step $step" "$pc" click 106 57
    wait_for 5 "the PC line in view after Step $step" pc_visible
done
act "memory at an address" "$memory" type_in 530 57 100100
type_in 650 57 100108
type_in 705 57 5A
act "a byte written" "$memory" click 745 57
menu_watch() { click 515 101 3; click 560 135; }  # the first byte's menu, its first item
act "a write watchpoint from a byte's menu" "$bar" menu_watch
# A click on the picture selects the sprite on top there: clicks over its
# upper part (the tooltip then stays clear of the magnified view) until one
# lands on a sprite, each given half a second to show it.
pick_sprite() {
    local before=$1 x y deadline
    for ((y = 50; y <= 150; y += 20)); do
        for ((x = 10; x < 250; x += 20)); do
            click $((452 + x)) $((352 + y))
            deadline=$((${EPOCHREALTIME/./} + 500000))
            until differs "$magnified" "$before"; do
                ((${EPOCHREALTIME/./} < deadline)) || continue 2
                sleep 0.02
            done
            return 0
        done
    done
    return 1
}
at 400 77  # the pointer still in the window (its tooltips then go) and clear of the panels acted on
unpicked=$(hash "$magnified") table_before=$(hash "$table") picture_before=$(hash "$picture")
pick_sprite "$unpicked" || fail "no click on the picture selected a sprite"
at 400 77
wait_for 10 "the picked sprite magnified" differs "$magnified" "$unpicked"
wait_for 10 "the picked sprite selected in the table" differs "$table" "$table_before"
wait_for 10 "the picked sprite outlined" differs "$picture" "$picture_before"
act "the sprites under the pointer named" "452 352 520 330" at 560 450
for panel in 83:"4 470 436 220" 100:"450 25 420 300" 117:"450 330 420 300"; do
    act "the Panels menu" "0 88 215 40" click 30 9  # over registers, which hold still
    act "a panel opened from the menu" "${panel#*:}" click 60 "${panel%%:*}"
done
act "a colour named" "0 470 440 225" at 100 520
act "the tile under the pointer named" "450 25 420 300" at 500 120
act "the watched address typed" "452 430 130 16" type_in 520 438 10000C  # drawn before the click
act "a watchpoint listed" "450 450 400 34" click 793 438
act "the run in the bar" "$bar" click 22 57
click 380 310  # Trace: the next 1000 instructions (or up to a stop) into trace.txt
wait_for 10 "the trace's line on the console" grep -q "^Trace: [0-9]* instructions written to trace.txt" "$work/console"
lines=$(grep -o "^Trace: [0-9]*" "$work/console" | grep -o "[0-9]*$")
[[ $(wc -l <"$work/trace.txt") == "$lines" && $lines -gt 0 ]] || fail "trace.txt does not hold the $lines lines the console says"

# The Script panel: a line at its prompt read on the running demo, and a file run.
printf 'console.log("script.lua ran at frame", emu.frame())\n' >"$work/script.lua"  # the panel's file field
act "the Panels menu" "0 88 215 40" click 30 9
act "the Script panel opened" "0 24 520 360" click 60 168
type_in 200 367 'emu.read16(0x100000)'
prompt_value() { grep -A1 -xF '> emu.read16(0x100000)' "$work/console" | grep -qxF 17477; }  # "DE" of "DEMO"
wait_for 10 "the prompt's value (17477) on the console" prompt_value
act "the script's line in the panel" "0 90 520 270" click 418 57
grep -q "^script.lua ran at frame" "$work/console" || fail "script.lua's line is not on the console"

# Moved and resized by the user, then asked to quit, the program keeps the
# open panels and the window's place, where the next run opens it.
place() { find_workbench && xdotool getwindowgeometry --shell "$win" | grep -v WINDOW | tr '\n' ' '; }
before_move=$(place)
xdotool windowmove "$win" 16 24 windowsize "$win" 900 640
moved() { local now; now=$(place) && [[ $now != "$before_move" && $now == *"WIDTH=900 HEIGHT=640"* ]]; }
wait_for 10 "the workbench moved and resized" moved
kept=$(place)
kill -TERM "$program_pid"
wait "$program_pid"; status=$?; program_pid=""
[[ $status == 0 ]] || fail "exit status $status at quit"
grep -q "graphics 1.*breakpoints 1" "$work/config/bevorel/settings.ini" || fail "the open panels are not in settings.ini"
start --workbench
reopened() { [[ $(place) == "$kept" ]]; }
wait_for 10 "the workbench where it was left ($kept; now $(place))" reopened
# --- The profiler and the call stack, on the running demo ----------------------
kill -TERM "$program_pid"; wait "$program_pid"; program_pid=""
rm -f "$work/config/bevorel/settings.ini"  # the workbench at its first place and size
start --boot --workbench --symbols "$elf" "$roms"
act "Paused in the bar" "$bar" click 62 57
for panel in 185:"450 25 526 440" 202:"4 470 440 226"; do
    act "the Panels menu" "0 88 215 40" click 30 9
    act "a panel opened from the menu" "${panel#*:}" click 60 "${panel%%:*}"
done
act "the profile's functions listed" "452 70 520 360" click 472 57
act "the profile counted while running" "452 70 520 360" click 22 57
act "the profile saved in the bar" "$bar" click 814 57
wait_for 10 "the profile's file" grep -q "^fn=scene_frame$" "$work/profile.out"
act "the call tree shown" "452 90 520 330" click 506 57
act "the table shown again" "452 90 520 330" click 506 57
for column in 480 740 905; do act "the table sorted by another column" "452 110 520 310" click "$column" 100; done
act "the code/data log saved in the bar" "$bar" click 627 79
wait_for 10 "the code/data log's file" test -s "$work/bevorel.cdl"
# --- The Events panel: the paused frame's timeline -----------------------------
act "the Panels menu" "0 88 215 40" click 30 9
act "the Events panel opened" "4 24 972 300" click 60 219
act "an interrupt's details on hover" "4 24 972 300" at 99 103
act "a sprite list write's instruction listed" "$listing" click 434 169
echo "PASS: the workbench matches $golden and does what each action asks"
