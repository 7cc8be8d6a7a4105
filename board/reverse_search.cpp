#include "reverse_search.h"

#include <vector>

#include "s68000.h"

namespace {

struct Found {
    bool found = false;
    uint32_t offset = 0;  // cycles from the frame's start (its first slice's interrupt offered)
    S68000StepHit hit;
};

// Steps the frame the machine is at the start of, with `input`, up to
// `limit` cycles into it: the last place before the limit (Step), or the
// last place whose instruction meets a breakpoint or watched access (Hit).
// `leaveAt`, when found, leaves the frame under way at that offset instead.
Found stepFrame(Machine& machine, const FrameInput& input, uint32_t limit, ReverseGoal goal, FramePoint* point,
                uint32_t leaveAt = UINT32_MAX) {
    Found last;
    const uint32_t start = machine.cycles();
    machine.setSpeed(input.speed);
    const FramePoint left = machine.runFrameStepping(input.keys, [&] {
        const uint32_t offset = machine.cycles() - start;
        if (offset >= limit || offset == leaveAt) return false;
        S68000StepHit hit;
        switch (s68000step(hit)) {
            case S68000Step::Idle: s68000exec(1); return true;  // the idle cycles pass
            case S68000Step::Stuck: return true;                // its slice ends
            case S68000Step::Interrupt:
                if (goal == ReverseGoal::Step) last = {true, offset, {}};
                return true;
            case S68000Step::Instruction:
                if (goal == ReverseGoal::Step || hit.breakpoint || hit.watched) last = {true, offset, hit};
                return true;
        }
        return true;
    });
    if (point) *point = left;
    return last;
}

// Puts the machine at `offset` into frame `frame` (oldest() <= frame <
// now(), or now() with `current`), the frames after it forgotten.
ReverseLanding land(Machine& machine, History& history, uint64_t frame, const FrameInput& input,
                    const Found& found) {
    history.goTo(machine, frame);
    ReverseLanding landing{found.found, found.hit, input, {}};
    stepFrame(machine, input, UINT32_MAX, ReverseGoal::Step, &landing.point, found.found ? found.offset : 0);
    return landing;
}

// The latest frame before `end` in which a breakpoint is reached or a
// watched access made, found by running the frames whole from each snapshot
// back; false when there is none in the history.
bool lastFrameWithHits(Machine& machine, History& history, uint64_t end, uint64_t& frame) {
    while (end > history.oldest()) {
        const uint64_t from = history.snapshotBefore(end - 1);
        std::vector<FrameInput> inputs;
        for (uint64_t f = from; f < end; ++f) inputs.push_back(history.input(f));
        // goTo forgets the inputs after `from`: they go back in as the frames run.
        history.goTo(machine, from);
        bool hit = false;
        for (uint64_t f = from; f < end; ++f) {
            const FrameInput& in = inputs[f - from];
            uint32_t hits = 0;
            machine.setSpeed(in.speed);
            machine.runFrame(in.keys, FrameRun{.draw = false, .replay = true, .hits = &hits});
            history.frameRan(machine, in);
            if (hits) hit = true, frame = f;
        }
        if (hit) return true;
        end = from;
    }
    return false;
}

}  // namespace

ReverseLanding reverseSearch(Machine& machine, History& history, const FrameInput& current, ReverseGoal goal) {
    const uint32_t here = machine.cycles();
    uint64_t frame = history.now();
    FrameInput input = current;
    history.goTo(machine, frame);
    Found found = stepFrame(machine, input, here - machine.cycles(), goal, nullptr);
    while (!found.found && frame > history.oldest()) {
        uint64_t earlier = frame - 1;
        if (goal == ReverseGoal::Hit && !lastFrameWithHits(machine, history, frame, earlier)) break;
        frame = earlier;
        input = history.input(frame);
        history.goTo(machine, frame);
        found = stepFrame(machine, input, UINT32_MAX, goal, nullptr);
    }
    if (!found.found) {
        frame = history.oldest();
        if (frame < history.now()) input = history.input(frame);
    }
    return land(machine, history, frame, input, found);
}
