// Going back in a running machine's recorded past, as a debugger's reverse
// step and reverse continue do: to the place before the last one, or to the
// most recent breakpoint reached or watched access made, before where the
// machine stands. Places are the instruction boundaries and the taking of
// interrupts; a stopped processor's idle cycles are none. Uses the Machine
// interface, the history and the core's breakpoint and watchpoint tables.
#pragma once

#include "history.h"
#include "s68000_debug.h"

enum class ReverseGoal { Step, Hit };

struct ReverseLanding {
    bool found = false;   // false: nothing earlier is kept; the machine is at the oldest point
    S68000StepHit hit;    // for ReverseGoal::Hit: what the instruction there meets
    FrameInput input;     // of the frame it stands in
    FramePoint point;     // that frame, left under way there (Machine::finishFrame)
};

// From where the machine stands inside frame history.now(), which runs with
// `current`: puts the machine at the place `goal` asks for, inside its frame
// (the frames after it are forgotten, as History::goTo forgets them). The
// machine's speed is the landing frame's afterwards.
ReverseLanding reverseSearch(Machine& machine, History& history, const FrameInput& current, ReverseGoal goal);
