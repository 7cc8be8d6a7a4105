// A profile of the running program over a range of frames: the profiler fed
// by the core's flow hook, started at a frame boundary and stopped at any
// time. It listens to the flow hook only while a range runs, so that the core
// runs at its full speed otherwise. Several sessions may run at once
// (--profile and the workbench's). Emulation thread, or any
// thread while no emulation thread runs.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "core_hooks.h"
#include "machine.h"
#include "profiler.h"
#include "run_control.h"
#include "symbols.h"

namespace workbench {

// A profile with its functions' names, as the workbench shows it.
struct NamedProfile {
    Profile profile;
    std::map<uint32_t, std::string> names;
    bool running = false;
};

class ProfileSession : public RunClient, private FlowListener {
public:
    ProfileSession(Machine& machine, std::shared_ptr<const Symbols> symbols);
    ~ProfileSession() override;

    // The range starts at the next frame boundary.
    void requestStart() { fStartRequested = true; }
    bool running() const { return fProfiler.running(); }
    // Ends the range at the machine's cycles now.
    void stop();
    // A new range from now, the call stack kept (while running).
    void restart();
    // The profile so far, named.
    NamedProfile named() const;
    // The profile so far (up to the machine's cycles now while running).
    Profile profile() const { return fProfiler.profile(fMachine.cycles()); }
    // The machine's cycle counter where the range started and where it stopped.
    uint32_t startCycles() const { return fStartCycles; }
    uint32_t stopCycles() const { return fStopCycles; }
    // A function's name: its symbol, else its address in hexadecimal.
    std::string name(uint32_t function) const;
    const Symbols* symbols() const { return fSymbols.get(); }
    const CallStack& stack() const { return fProfiler.stack(); }

    void frameBoundary() override;

private:
    void flow(const S68000Flow& flow) override { fProfiler.flow(flow); }

    Machine& fMachine;
    std::shared_ptr<const Symbols> fSymbols;
    Profiler fProfiler;
    bool fStartRequested = false;
    uint32_t fStartCycles = 0, fStopCycles = 0;
};

}  // namespace workbench
