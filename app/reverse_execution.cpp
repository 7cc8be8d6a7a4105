#include "reverse_execution.h"

#include <string>

#include "gdb_stub.h"

namespace {

// What going back looks for in a frame: the last instruction boundary (a
// step) or the last breakpoint or watchpoint hit (a continue) before a limit.
struct Found {
    bool found = false;
    uint32_t offset = 0;  // cycles from the frame's start to the boundary before the instruction
    std::string reply;
};

// Runs the frame (the machine at its start) with `input` up to `limit`
// cycles into it, an instruction at a time.
Found scanFrame(Machine& machine, const FrameInput& input, uint32_t limit, bool hits) {
    Found last;
    const uint32_t start = machine.cycles();
    machine.setSpeed(input.speed);
    machine.runFrameStepping(input.keys, [&] {
        const uint32_t offset = machine.cycles() - start;
        if (offset >= limit) return false;
        const std::string hit = gdb_stub_replay_step();
        if (!hits || !hit.empty()) last = {true, offset, hits ? hit : "S05"};
        return true;
    });
    return last;
}

const uint16_t* runBackwards(EmulationControl& control, bool toLastHit) {
    Machine& machine = control.machine;
    History& history = control.history;
    FrameInput input{machine.lastFrameKeys(), machine.speed()};  // of the frame under way
    uint64_t frame = history.now();
    const uint32_t here = machine.cycles();
    history.goTo(machine, frame);
    uint32_t limit = here - machine.cycles();
    Found found;
    for (;;) {
        found = scanFrame(machine, input, limit, toLastHit);
        if (found.found || frame == history.oldest()) break;
        input = history.input(frame - 1);  // goTo forgets it
        history.goTo(machine, --frame);
        limit = UINT32_MAX;
    }
    // To the place found (or the history's start), and stop there.
    history.goTo(machine, frame);
    const uint32_t start = machine.cycles();
    machine.setSpeed(input.speed);
    const FramePoint point = machine.runFrameStepping(input.keys, [&] {
        if (machine.cycles() - start >= found.offset) return false;
        gdb_stub_replay_step();
        return true;
    });
    gdb_stub_stop_here(found.found ? found.reply : kGdbHistoryBegins);
    const uint16_t* picture = machine.finishFrame(point);
    machine.setSpeed(currentSpeed());
    history.frameRan(machine, input);
    return picture;
}

}  // namespace

void requestReverse(bool toLastHit) {
    if (reverseAllowed) throw ReverseRequest{toLastHit};
}

const uint16_t* goBack(EmulationControl& control, ReverseRequest request) {
    for (;;) {
        try {
            return runBackwards(control, request.toLastHit);
        } catch (const ReverseRequest& again) {
            request = again;
        }
    }
}
