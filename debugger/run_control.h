// The one run control of the debuggers (the gdb stub, the workbench, and
// whatever attaches next): the slice loop that arms the watchpoints, runs,
// disarms, takes the hit, and steps over the breakpoints the target leaves,
// with the slice's length counted from its start, so that a run stopped
// anywhere runs exactly as one that never stopped. Any number of clients are
// attached at once; each hears of frame boundaries and of the stops it
// takes. The breakpoint and watchpoint tables are the core's, shared.
// Emulation thread only.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "s68000.h"
#include "s68000_debug.h"

// What one part of a slice stopped at: a breakpoint (at `address`), or a
// watched access (its address and the watchpoint's kinds).
struct RunStop {
    bool breakpoint = false;
    bool watched = false;
    uint32_t address = 0;
    int kinds = 0;
};

// Called whenever a debugger changes the target outside the frames' own run
// (the monitor's steps, jumps, interrupts and register change; a client's
// register or memory writes): the frames recorded so far no longer lead to
// the machine's state, so the host restarts its history (rewind, reverse
// execution) at the next frame. Null: nothing is called. Emulation thread.
extern void (*debugger_target_changed)();
inline void debuggerTargetChanged() {
    if (debugger_target_changed) debugger_target_changed();
}

class RunClient {
public:
    virtual ~RunClient() = default;
    // At the start of every frame, in the order the clients were attached.
    virtual void frameBoundary() {}
    // Whether the client runs the coming slice by a way of its own (stopped,
    // or toward a goal of its own); the first that does runs it.
    virtual bool ownsSlice() { return false; }
    virtual uint32_t runOwnSlice(int32_t cycles) { return s68000exec(cycles); }
    // Once before the shared loop runs a slice.
    virtual void sliceStarts() {}
    // Before each part of the slice: a client that holds the target stopped
    // keeps it here (serving its debugger) until it resumes.
    virtual void hold() {}
    // Whether a single step is asked for: the next part of the slice is that
    // step, and stepEnded() says what it met (`stuck`: nothing could run).
    virtual bool stepping() { return false; }
    virtual void stepEnded(const S68000StepHit& /*hit*/, bool /*stuck*/) {}
    // Whether the breakpoints and watchpoints stop for this client now; the
    // first that says so and claims a stop takes it, and without one the
    // slice runs through the breakpoints with the watchpoints unarmed.
    virtual bool takesStops() { return false; }
    // Whether the stop is this client's (a client that watches only its own
    // addresses, such as a script's callbacks, leaves the others' stops).
    virtual bool claims(const RunStop& /*stop*/) { return true; }
    // A stop taken: true when the rest of the slice runs (the client held the
    // target and let it go), false when the slice ends here.
    virtual bool stopped(const RunStop& /*stop*/, uint32_t /*code*/) { return false; }
    // The slice ran to its end (or could run no further).
    virtual void sliceEnded() {}
};

class RunControl {
public:
    // While no emulation thread runs.
    void attach(RunClient& client);
    void detach(RunClient& client);
    bool empty() const { return fClients.empty(); }

    void frameBoundary();
    uint32_t runSlice(int32_t cycles);
    // One slice for these clients (a client alone, in a test or benchmark).
    static uint32_t runSlice(std::span<RunClient* const> clients, int32_t cycles);

private:
    std::vector<RunClient*> fClients;
};
