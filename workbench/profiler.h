// Where the 68000's cycles go, over a range of frames: per function the
// cycles spent in it (self) and in it with its callees (inclusive), its
// calls, and a call tree, all from the core's flow events as executed.
// Functions are their entry addresses (a call's target, an exception's
// handler); names come later, from the symbols. Interrupts and other
// exceptions are roots of their own: their cycles count in no function they
// interrupted. A function that calls itself counts its inclusive cycles once,
// from its outermost call. The cycles add up: the self cycles of all
// functions are the cycles run over the range.
#pragma once

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "call_stack.h"

namespace workbench {

struct FunctionCost {
    uint64_t self = 0;
    uint64_t inclusive = 0;
    uint64_t calls = 0;  // calls, or for a handler the times its exception was taken
};

struct CallCost {
    uint64_t calls = 0;
    uint64_t inclusive = 0;  // the callee's cycles through this call site, interrupts excluded
};

// A call tree node: one function reached by one path of calls from a root.
struct TreeNode {
    uint32_t function = 0;
    int vector = -1;  // a root entered by an exception: its vector
    int parent = -1;  // -1 for a root
    uint64_t calls = 0, self = 0, inclusive = 0;
    std::vector<int> children;
};

struct Profile {
    uint64_t cycles = 0;  // the cycles run over the range
    uint32_t frames = 0;  // the frames that ran within it (frames held stopped not counted)
    std::map<uint32_t, FunctionCost> functions;
    // By caller, call site and callee.
    std::map<std::tuple<uint32_t, uint32_t, uint32_t>, CallCost> calls;
    std::vector<TreeNode> tree;  // the roots first among their kind: parent -1
};

class Profiler : private CallStack::Listener {
public:
    // Starts a range at the odometer's `cycles`, in the code of `function`.
    void start(uint32_t function, uint32_t cycles);
    // A new range from the odometer's `cycles`, the call stack kept: its
    // frames count from then, each as one call.
    void restart(uint32_t cycles);
    // Ends the range at the odometer's `cycles`: the profile stays as then.
    void stop(uint32_t cycles);
    bool running() const { return fRunning; }
    // One flow event of the core (ignored unless running).
    void flow(const S68000Flow& flow);
    // A frame boundary passed, at the odometer's `cycles`, with the PC in
    // `function`. Between frames the machine may have been reset, booted or
    // given a saved state, its odometer set anew: a jump of more than
    // kLargestStep cycles since the last event is run by nothing; the frames
    // open are closed there and the stack starts again in `function`.
    void frame(uint32_t function, uint32_t cycles);
    static constexpr uint32_t kLargestStep = 1'000'000;
    // The profile up to the odometer's `cycles`, the frames still open
    // counted to then.
    Profile profile(uint32_t cycles) const;
    const CallStack& stack() const { return fStack; }

private:
    void advance(uint32_t cycles);
    void entered(CallFrame& frame) override;
    void left(const CallFrame& frame) override;
    int child(int parent, uint32_t function, int vector);

    CallStack fStack;
    Profile fProfile;
    uint32_t fLast = 0;       // the odometer at the last event
    uint32_t fBoundary = 0;   // and at the last frame boundary
    uint64_t fNow = 0;        // cycles since the start
    uint64_t fExcluded = 0;   // cycles spent in exceptions' frames, finished ones
    bool fRunning = false;
};

}  // namespace workbench
