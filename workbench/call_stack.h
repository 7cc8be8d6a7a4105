// The call stack as executed: built from the core's flow events (JSR/BSR,
// RTS/RTR, exceptions and RTE), never guessed from the stack's contents.
// Exceptions and interrupts open frames of their own, roots of the calls
// made under them. A frame whose return slot the stack has left (a call or
// exception pushing at or above it, a return popping past it) is gone,
// whatever left it: a function left by an exception whose handler never
// returns, or a stack reset by the program, pops the frames it abandoned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "s68000_debug.h"

namespace workbench {

struct CallFrame {
    uint32_t function = 0;  // the callee's or handler's address; the bottom frame's given at reset
    uint32_t site = 0;      // the call's address; for an exception, the PC it pushed
    uint32_t sp = 0;        // A7 once the return address or exception frame was pushed
    int vector = -1;        // an exception's vector, -1 for a call
    int level = 0;          // an interrupt's level, 0 otherwise
    uint64_t entered = 0;   // the user's clock at entry
    // The profiler's bookkeeping: its call tree node, the cycles spent in
    // exceptions by entry, and whether no frame below of the same root runs
    // the same function.
    int node = -1;
    uint64_t excludedAtEntry = 0;
    bool outermost = true;
    bool exception() const { return vector >= 0; }
};

class CallStack {
public:
    // What a user of the stack hears of its changes.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void entered(CallFrame& frame) = 0;
        virtual void left(const CallFrame& frame) = 0;
    };

    // Starts afresh with one bottom frame, the code running now (it is never
    // popped: it stands for whatever called nothing the stack saw).
    void reset(uint32_t function, uint64_t now, Listener* listener = nullptr);
    // Applies one event at `now` (a clock of the user's: the profiler's
    // 64-bit count of cycles).
    void apply(const S68000Flow& flow, uint64_t now, Listener* listener = nullptr);
    // Pushes `frame` as it stands, entered at `now` (a stack rebuilt).
    void push(CallFrame frame, uint64_t now, Listener* listener = nullptr);
    // Pops every frame, the bottom one last, as at the end of a range.
    void unwind(Listener* listener);

    const std::vector<CallFrame>& frames() const { return fFrames; }
    bool empty() const { return fFrames.empty(); }

    // The deepest stack kept: calls beyond it (a program that calls without
    // ever returning or resetting its stack) are not pushed, and their
    // returns then pop nothing.
    static constexpr size_t kDeepest = 4096;

private:
    void popWhile(bool (*gone)(const CallFrame&, uint32_t), uint32_t sp, Listener* listener);
    void pop(Listener* listener);

    std::vector<CallFrame> fFrames;
};

}  // namespace workbench
