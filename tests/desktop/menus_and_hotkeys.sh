#!/usr/bin/env bash
# The real program in an X server of its own, driven by real X input: every
# item of every menu is clicked, at every depth (of the keyboard
# configuration's 34 keys a function, up to six), and every hotkey pressed.
# After each the program must be alive and must have done what the item
# says. Before each click the item under the pointer must be highlighted,
# and submenus (and the menu bar's other menus, once one is open) are opened
# by moving over them, never by a click.
#
#   menus_and_hotkeys.sh BEVOREL WINDOW_PIXELS
#
# Needs Xvfb, xdotool and evilwm (x_session.sh starts them). The program
# gets a home, settings, states and pictures of its own in a temporary
# directory; on failure the window's picture is left in
# desktop_failure.png in the current directory. STEP_TIMES=1 prints the
# time of each step on standard error.
set -u
program=$1 pixels=$2
shot=$PWD/desktop_failure.png
step="start-up"

source "$(dirname "${BASH_SOURCE[0]}")/x_session.sh"
console=$work/console settings=$work/config/bevorel/settings.ini pictures=$work/pictures
win=""

fail() {
    echo "FAIL at \"$step\": $*"
    [[ $(type -t diagnose) == function ]] && diagnose
    [[ -n $win ]] && "$pixels" "$win" png "$shot" 2>/dev/null && echo "(the window's picture: $shot)"
    echo "--- console, last lines:"
    tail -n 12 "$console" 2>/dev/null
    [[ -s $work/wm.log ]] && { echo "--- window manager:"; tail -n 5 "$work/wm.log"; }
    running "${pids[1]:-0}" || echo "--- the window manager is not running"
    exit 1
}

mkfifo "$work/stdin"
exec {monitor}<>"$work/stdin"  # the monitor's standard input, open for as long as the test runs
mkdir -p "$work/home" "$pictures"
start_program() {
    (cd "$work" && exec env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
        XDG_PICTURES_DIR="$pictures" "$program" "$@" <"$work/stdin" >"$console" 2>&1 {monitor}>&-) &
    program_pid=$!
    pids+=("$program_pid")
}
start_program

find_window() { win=$(xdotool search --name '^BePellmora v0\.80$' 2>/dev/null | head -n 1); [[ -n $win ]]; }
wait_for 20 "window" find_window
# Focus through the window manager; should it not take the window, the focus
# is set directly (keys from xdotool go to the focused window either way).
# The window is looked up afresh each time: SDL may replace the first X
# window it made (same title) when it sets up the renderer.
focused() {
    find_window || return
    xdotool mousemove --window "$win" 128 120 2>/dev/null
    xdotool windowactivate "$win" 2>/dev/null
    [[ $(xdotool getactivewindow 2>/dev/null) == "$win" ]] && return
    xdotool windowfocus "$win" 2>/dev/null
    [[ $(xdotool getwindowfocus 2>/dev/null) == "$win" ]]
}
diagnose() {
    echo "window $win; active window $(xdotool getactivewindow 2>&1); focus $(xdotool getwindowfocus 2>&1)"
    command -v xwininfo >/dev/null && xwininfo -id "$win" 2>&1 | grep -E 'Map State|Absolute'
}
wait_for 20 "keyboard focus on the window" focused
unset -f diagnose
wait_for 20 "board start-up on the console" grep -q "CPU Reset...Success" "$console"

# --- Where things are, at scale 1 (ImGui's 13-pixel font) ---------------------
# Window coordinates of each item's middle, by its path from a menu title.
# The menus and Load/Save state are used in the 256 x 242 window; the key
# submenus in full screen, where they fit (in the window they scroll).
declare -A at=(
    [File]="15 9" [Emulation]="70 9" [Controller]="147 9" [About...]="215 9"
    [File>Boot]="30 31" [File>Play ADPCM sample]="30 48" [File>Load state]="30 65" [File>Save state]="30 82"
    [File>free ROM]="30 99" [File>Rom info]="30 116" [File>Movie]="30 133" [File>Quit]="30 154"
    [File>Movie>Record]="170 133" [File>Movie>Record here]="170 150" [File>Movie>Play]="170 167"
    [File>Movie>Stop]="170 184"
    [Emulation>Service mode]="60 31" [Emulation>Pause]="60 48" [Emulation>Reset]="60 65"
    [Emulation>Debug]="60 86" [Emulation>Workbench]="60 103" [Emulation>Speed]="60 124"
    [Emulation>Speed>30 fps]="150 152" [Emulation>Speed>60 fps]="150 169" [Emulation>Speed>Unlimited fps]="150 186"
    [Controller>Keyboard]="160 31" [Controller>Joystick]="160 48" [Controller>Keyboard configuration]="160 65"
    [About...>...BePellmora]="215 31"
)
functions=("Start" "Select" "Button A" "Button B")
setting_names=(start select button_a button_b)
keys=(A B C D E F G H I J K L M N O P Q R S T U V W X Y Z "Left shift" "Left ctrl" "Left alt" Space
      "Right alt" "Right ctrl" "Right shift" Enter)
marked_at_start=(18 3 0 1)  # S, D, A, B
for slot in 0 1 2 3 4 5 6 7; do
    at["File>Load state>$slot"]="170 $((65 + 17 * slot))"
    at["File>Save state>$slot"]="170 $((82 + 17 * slot))"
done
for k in 0 1 2 3; do
    at["Controller>Keyboard configuration>${functions[k]}"]="310 $((65 + 17 * k))"
    for p in "${!keys[@]}"; do
        at["Controller>Keyboard configuration>${functions[k]}>${keys[p]}"]="420 $((65 + 17 * (k + p)))"
    done
done

# --- What to do and what must follow ------------------------------------------
# A row: what is done | what must follow | its argument. What is done is a
# menu path (its title is clicked, every other step moved over, the last
# clicked; ^ before a step: an item of the same menu as the step before),
# key:KEYS (pressed), hold:KEY (held, then released) or stdin:LINE (a line
# for the monitor).
steps() {
    cat <<'EOF'
File>Boot                                | booted
File>Play ADPCM sample                   | nothing
File>Movie>^Rom info                     | nothing
Emulation>Pause                          | title   | ^BePellmora v0\.80 - Paused$
Emulation>Pause                          | title   | ^BePellmora v0\.80( - [0-9]+ fps)?$
Emulation>Service mode                   | shows   | service
Emulation>Service mode                   | shows   | game
Emulation>Reset                          | shows   | game
Emulation>Debug                          | prompt
stdin:q                                  | prompt
Emulation>Debug                          | title   | ^BePellmora v0\.80( - [0-9]+ fps)?$
File>Load state>Emulation>Speed>30 fps   | setting | speed = 30
Emulation>Speed>Unlimited fps            | setting | speed = unlimited
Emulation>Speed>60 fps                   | setting | speed = 60
Emulation>Workbench                      | setting | open = yes
key:F10                                  | setting | open = no
Controller>Joystick                      | setting | type = joystick
Controller>Keyboard                      | setting | type = keyboard
About...>...BePellmora                   | about
key:p                                    | title   | ^BePellmora v0\.80 - Paused$
key:p                                    | title   | ^BePellmora v0\.80( - [0-9]+ fps)?$
key:Pause                                | title   | ^BePellmora v0\.80 - Paused$
key:Pause                                | title   | ^BePellmora v0\.80( - [0-9]+ fps)?$
key:F3                                   | shows   | game
File>Movie>Record                        | title   | ^BePellmora v0\.80 - Recording( - [0-9]+ fps)?$
File>Movie>Stop                          | console | Movie recorded: 
key:p                                    | title   | ^BePellmora v0\.80 - Paused$
File>Movie>Play                          | title   | ^BePellmora v0\.80 - Playing - Paused$
File>Movie>Stop                          | console | Movie stopped at frame 0 of 
key:p                                    | title   | ^BePellmora v0\.80( - [0-9]+ fps)?$
File>Movie>Record here                   | title   | ^BePellmora v0\.80 - Recording( - [0-9]+ fps)?$
File>Movie>Stop                          | console | Movie recorded: 
key:p                                    | title   | ^BePellmora v0\.80 - Paused$
key:backslash                            | advanced
hold:BackSpace                           | rewound
key:p                                    | title   | ^BePellmora v0\.80( - [0-9]+ fps)?$
hold:Tab                                 | faster
key:F12                                  | picture
key:F11                                  | size    | 1024x768
key:alt+Return                           | size    | 256x242
key:F11                                  | size    | 1024x768
key:Escape                               | size    | 256x242
EOF
    for slot in 0 1 2 3 4 5 6 7; do
        echo "File>Load state>^Save state>$slot | console | State saved in slot $slot: "
        echo "File>Load state>$slot | console | State loaded from slot $slot: "
        echo "key:shift+F$((slot + 1)) | console | State saved in slot $slot: "
        ((slot != 2)) && echo "key:F$((slot + 1)) | console | State loaded from slot $slot: "
    done
    # With the emulation stopped, the picture stands still: the key items go
    # faster. They are chosen full screen, where their submenus fit.
    cat <<'EOF'
Emulation>Pause                          | title   | ^BePellmora v0\.80 - Paused$
File>free ROM                            | title   | ^BePellmora v0\.80$
key:F11                                  | size    | 1024x768
EOF
    # Of each function's keys (one table, one handler, which the shell's tests
    # run for every key): the one after its mark, then the first two, the
    # middle one and the last two of the submenu, where a shifted item shows.
    # Never its mark, so that every choice changes the setting.
    local n=${#keys[@]}
    for k in 0 1 2 3; do
        local mark=${marked_at_start[k]} seen=" " i=0
        for p in $(((mark + 1) % n)) 0 1 $((n / 2)) $((n - 2)) $((n - 1)); do
            [[ $p == "$mark" || $seen == *" $p "* ]] && continue
            seen+="$p "
            via=""  # the first key of each function after Start: by way of the function before
            ((k > 0 && i++ == 0)) && via="${functions[k - 1]}>^"
            echo "Controller>Keyboard configuration>$via${functions[k]}>${keys[p]} | setting | ${setting_names[k]} = ${keys[p]}"
        done
    done
    cat <<'EOF'
key:Escape                               | size    | 256x242
Emulation>Reset                          | resets
key:p                                    | title   | ^BePellmora v0\.80( - [0-9]+ fps)?$
File>Quit                                | quits
EOF
}

# --- Looking at the program -------------------------------------------------
pixel() { "$pixels" "$win" at "$1" "$2"; }
# The highlight of the item (or title) under the pointer, over whatever is
# behind the menu: no colour of the board's 15-bit picture comes this close.
highlight_colour() {
    local r=$((16#${1:0:2})) g=$((16#${1:2:2})) b=$((16#${1:4:2}))
    ((r >= 0x5C && r <= 0x6C && g >= 0x9E && g <= 0xB0 && b >= 0xF0 && b <= 0xFD && b != 0xF7))
}
# Pixels 7 rows above an item's middle are its highlight, clear of its label.
highlighted() { local c; c=$(pixel "$1" $(($2 - 7))) && highlight_colour "$c"; }
# Whether a menu covers the item's place: five pixels in a row there are its
# highlight or its opaque background, FAFAFA, which no colour of the board's
# 15-bit picture gives (its channels are 0xF7 or 0xFF up there) and which a
# menu the picture showed through would not be.
menu_at() {
    local c places=()
    for dx in -4 -2 0 2 4; do places+=($(($1 + dx)) $(($2 - 7))); done
    for c in $("$pixels" "$win" at "${places[@]}"); do
        highlight_colour "$c" || [[ $c == FAFAFA ]] || return 1
    done
}
menu_closed() { ! menu_at "$@"; }
title_is() { [[ $(xdotool getwindowname "$win") =~ $1 ]]; }
# The title without the frame rate it shows, which a loaded machine moves.
title_sans_rate() {
    local title
    title=$(xdotool getwindowname "$win")
    [[ $title =~ ^(.*)\ -\ [0-9]+\ fps$ ]] && title=${BASH_REMATCH[1]}
    echo "$title"
}
size_is() { [[ $(xdotool getwindowgeometry "$win") == *"Geometry: $1"* ]]; }
count() { grep -o -F -- "$1" "$console" | wc -l; }
console_since() { tail -c +$((console_size + 1)) "$console"; }
new_console_has() { console_since | grep -q -F -- "$1"; }
setting_is() { grep -q -x -F -- "$1" "$settings" 2>/dev/null; }
about_shown() { [[ $(pixel 18 44) == 285AC8 ]]; }  # the About box's information icon
picture_shown() { (($("$pixels" "$win" lit 0 20 256 222) > 2000)); }
resets_after() { (($(count "CPU Reset...Success") > $1)); }
prompts_after() { (($(count "[cpu 1]>") > $1)); }
faster() {
    local title
    title=$(xdotool getwindowname "$win")
    [[ $title == *" - Unlimited" ]] || { [[ $title =~ \ -\ ([0-9]+)\ fps$ ]] && ((BASH_REMATCH[1] > 61)); }
}
moving() { "$pixels" "$win" png "$work/now.png" && ! cmp -s "$work/before.png" "$work/now.png"; }
# Whether two pictures taken one after the other (over a frame apart) are the same.
still() { "$pixels" "$win" png "$work/a.png" && "$pixels" "$win" png "$work/b.png" && cmp -s "$work/a.png" "$work/b.png"; }
# Whether the pixels at the first places are all of one colour, and those at
# the second (as many) of another: marks on a background, whatever its
# colour now. One reading, so that all are of the same frame.
marks_on_background() {
    local places colours
    read -r -a places <<<"$1 $2"
    mapfile -t colours < <("$pixels" "$win" at "${places[@]}")
    local half=$((${#places[@]} / 4)) ink paper
    ink=$(printf '%s\n' "${colours[@]:0:half}" | uniq) paper=$(printf '%s\n' "${colours[@]:half}" | uniq)
    [[ -n $ink && -n $paper && $ink != *$'\n'* && $paper != *$'\n'* && $ink != "$paper" ]]
}
# What the demo shows: its input test in service mode (a row of lamps), or
# the game (the word FRAME at the top left).
showing() {
    case $1 in
        service) marks_on_background "23 75 55 75 87 75 119 75 151 75 183 75" "39 75 71 75 103 75 135 75 167 75 199 75" ;;
        game) marks_on_background "8 24 16 24 24 24 32 24 40 24" "12 24 18 24 26 24 30 24 38 24" ;;
    esac
}
new_picture_file() { compgen -G "$pictures/bevorel-*.png" >/dev/null; }

# --- Doing it ----------------------------------------------------------------
click() { xdotool mousedown 1 mouseup 1; }  # `xdotool click` waits 100 ms after it
# Clicks the path's title, moves over each of its items in turn and clicks
# the last. Each move waits for the frame that shows the title or item under
# the pointer highlighted, so that no move or click overtakes the one before.
click_path() {
    local path=$1 effect=$2 context="" names=() xs=() ys=() x y
    IFS='>' read -r -a elements <<<"$path"
    for element in "${elements[@]}"; do
        case $element in
            File | Emulation | Controller | About...) context=$element ;;  # a title: what follows is in its menu
            ^*) context="${context%>*}>${element#^}" ;;
            *) context="$context>$element" ;;
        esac
        [[ -n ${at[$context]:-} ]] || fail "no position for \"$context\" in the table"
        read -r x y <<<"${at[$context]}"
        names+=("$context") xs+=("$x") ys+=("$y")
    done
    local last=$((${#names[@]} - 1))
    for ((i = 0; i <= last; i++)); do
        xdotool mousemove --window "$win" "${xs[i]}" "${ys[i]}"
        wait_for 5 "highlight under the pointer on \"${names[i]}\" at ${xs[i]},${ys[i]}" \
            highlighted "${xs[i]}" "${ys[i]}"
        ((i == last)) && [[ ${elements[i]} == ^* ]] && wait_for 5 "closing of the submenu of ${names[i - 1]}" \
            menu_closed $((xs[i - 1] + 140)) "${ys[i - 1]}"  # by moving onto a plain item
        if ((i == 0)); then
            click
            wait_for 5 "menu open under \"${names[1]}\" after the click on ${names[0]}" \
                menu_at "${xs[1]}" "${ys[1]}"
        elif ((i == last)); then
            click
            [[ $effect == about || $effect == quits ]] ||
                wait_for 5 "menu closed after the click" menu_closed "${xs[i]}" "${ys[i]}"
        fi
    done
}

check() {
    local effect=$1 argument=$2
    case $effect in
        nothing)
            [[ $(cat "$settings" 2>/dev/null) == "$settings_before" ]] || fail "the settings changed"
            (($(stat -c %s "$console") == console_size)) || fail "the console got: $(console_since)"
            [[ $(title_sans_rate) == "$title_before" ]] || fail "the title changed"
            "$pixels" "$win" png "$work/before.png"
            wait_for 5 "next frame: the game stopped" moving ;;
        booted) wait_for 5 "reset on the console" resets_after "$resets"
                wait_for 5 "picture (the window stays black)" picture_shown ;;
        resets) wait_for 5 "reset on the console" resets_after "$resets" ;;
        shows) wait_for 5 "reset on the console" resets_after "$resets"
               wait_for 5 "$argument on the screen after the reset" showing "$argument" ;;
        title) wait_for 5 "window title matching $argument (it is \"$(xdotool getwindowname "$win")\")" title_is "$argument" ;;
        prompt) wait_for 5 "monitor prompt [cpu 1]> on the console" prompts_after "$prompts"
                title_is ' - Debug$' || fail "the title does not say Debug" ;;
        setting) wait_for 5 "\"$argument\" in settings.ini" setting_is "$argument" ;;
        console) wait_for 10 "\"$argument\" on the console" new_console_has "$argument" ;;
        about) wait_for 5 "About box" about_shown
               xdotool mousemove --window "$win" 200 219  # its Ok button
               click
               wait_for 5 "About box closed by its Ok button" eval '! about_shown' ;;
        faster) wait_for 5 "title above 61 fps while Tab is held" faster
                xdotool keyup Tab
                wait_for 5 "the chosen speed back after Tab" title_is '^BePellmora v0\.80( - (59|60|61) fps)?$' ;;
        picture) wait_for 5 "screenshot file in $pictures" new_picture_file
                 wait_for 5 "console line for the screenshot" new_console_has "Screenshot saved: $pictures/bevorel-" ;;
        advanced) wait_for 5 "the next frame after \\ while paused" moving
                  still || fail "more than one frame after \\ while paused" ;;
        rewound) wait_for 5 "an earlier frame while Backspace is held" moving
                 wait_for 10 "the picture standing at the start of the history" still
                 xdotool keyup BackSpace
                 title_is ' - Paused$' || fail "no longer paused after rewinding" ;;
        size) wait_for 5 "window of $argument (it is $(xdotool getwindowgeometry "$win" | tail -n 1))" size_is "$argument" ;;
        quits) local pid=$program_pid status
               program_pid=""  # its end is awaited now (under AddressSanitizer and a loaded
               wait_for 30 "end of the program" eval "! running $pid"  # machine, its exit is slow)
               wait "$pid"
               status=$?
               ((status == 0)) || fail "exit status $status"
               grep -q "^Average fps : " "$console" || fail "no \"Average fps : \" line" ;;
        *) fail "unknown effect $effect" ;;
    esac
}

trim() { local s=${1#"${1%%[![:space:]]*}"}; printf '%s' "${s%"${s##*[![:space:]]}"}"; }

started=${EPOCHREALTIME/./}
done_steps=0
while IFS='|' read -r what effect argument; do
    what=$(trim "$what") effect=$(trim "$effect") argument=$(trim "$argument")
    [[ -n $what ]] || continue
    step=$what
    console_size=$(stat -c %s "$console")
    case $effect in  # what the check compares with
        nothing) settings_before=$(cat "$settings" 2>/dev/null) title_before=$(title_sans_rate) ;;
        booted | resets | shows) resets=$(count "CPU Reset...Success") ;;
        prompt) prompts=$(count "[cpu 1]>") ;;
        advanced | rewound) wait_for 5 "a picture that stands still" still
                            cp "$work/a.png" "$work/before.png" ;;
    esac
    case $what in
        key:*) xdotool key "${what#key:}" ;;
        hold:*) xdotool keydown "${what#hold:}" ;;
        stdin:*) echo "${what#stdin:}" >&"$monitor" ;;
        *) click_path "$what" "$effect" ;;
    esac
    check "$effect" "$argument"
    [[ $effect == quits ]] || alive || fail "the program died"
    ((done_steps++))
    [[ -n ${STEP_TIMES:-} ]] && echo "$(((${EPOCHREALTIME/./} - started) / 1000)) ms: $what" >&2
done < <(steps)

# Its window destroyed by another client (as by a window manager that
# crashes), the program ends as by its close box.
step="the window destroyed from outside"
start_program --boot
wait_for 20 "window" find_window
wait_for 20 "picture of the booted game" eval 'find_window && picture_shown'  # the window SDL keeps
xdotool windowclose "$win"
check quits ""
echo "PASS: $done_steps steps and the window destroyed from outside in $(((${EPOCHREALTIME/./} - started) / 1000)) ms"
