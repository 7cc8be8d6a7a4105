// The scripts of --script and the workbench's Script panel, linked to the
// program: the engine (scripting/engine.h) attached to the run control ahead
// of the other debuggers, the script inputs added to the keyboard's, and the
// desktop's side of what scripts ask (pause, quit, states, screenshots).
#pragma once

#include <atomic>
#include <memory>

#include "engine.h"
#include "machine_wrapper.h"

// What scripts ask of the desktop program, posted to its window.
class ShellScriptHost final : public scripting::ScriptHost {
public:
    explicit ShellScriptHost(Machine& machine) : fMachine(machine) {}
    bool paused() const override;
    void setPaused(bool paused) override;
    void exit(int status) override;
    void reset() override;
    void state(bool save, int slot, const std::string& path) override;
    bool screenshot(const std::string& path, std::string& error) override;
    // The status emu.exit asked for; -1 when none did.
    int exitStatus() const { return fExitStatus.load(std::memory_order_relaxed); }

private:
    Machine& fMachine;
    std::atomic<int> fExitStatus{-1};
};

// The machine as the window drives it: a reset also tells the engine, whose
// reset callbacks run at the next frame boundary.
class ScriptedMachine final : public MachineWrapper {
public:
    ScriptedMachine(Machine& inner, scripting::Engine& engine) : MachineWrapper(inner), fEngine(engine) {}
    void reset() override;

private:
    scripting::Engine& fEngine;
};

// Attaches the engine (before any other debugger, so that it takes the stops
// of its own callbacks) and makes the board's keys the keyboard's and the
// scripts'. While no emulation thread runs.
void attachScripts(Machine& machine, scripting::Engine& engine);
void detachScripts(Machine& machine, scripting::Engine& engine);
// Whether the program runs without a display (SDL_VIDEODRIVER=dummy).
bool runsHeadless();
