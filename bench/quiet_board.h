// The board for a benchmark: its console report kept out of the
// benchmark's table while something starts, resets or powers it on.
#pragma once

#include <string>

#include "machine.h"

// Runs `work` with the board's console silenced and gives back what it returned.
template <class Work>
auto quietly(Machine& machine, Work work) {
    machine.setConsole([](const char*) {});
    struct Restore {
        Machine& machine;
        ~Restore() { machine.setConsole(nullptr); }
    } restore{machine};
    return work();
}

// Starts the board on the ROM set in `dir` and runs `frames` frames;
// false when the set could not be loaded.
inline bool startQuietly(Machine& machine, const std::string& dir, int frames = 0) {
    if (!quietly(machine, [&] { return machine.startUp(dir); })) return false;
    for (int i = 0; i < frames; ++i) machine.runFrame(KeyStates{});
    return true;
}
