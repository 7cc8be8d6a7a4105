// The script engine: the scripts given with --script and run from the
// workbench's Script panel, over the machine, as a client of the shared run
// control (debugger/run_control.h). Scripts run on the emulation thread only:
// their main chunk and frame callbacks at frame boundaries, their exec, read
// and write callbacks at the stops of the core's breakpoints and watchpoints,
// which the engine shares with the other debuggers. Other threads queue
// requests (run a file, stop, evaluate a line) for the next frame boundary
// and read the output.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "machine.h"
#include "run_control.h"
#include "script.h"
#include "script_console.h"
#include "script_host.h"
#include "symbols.h"

namespace scripting {

struct EngineOptions {
    double timeLimit = 1.0;    // seconds a main chunk, callback or prompt line may run
    bool exitOnError = false;  // headless: a failing script ends the program with status 2
};

// What an error value raised by emu.exit is (no failure: the script ends).
void* exitSentinel();

class Engine final : public RunClient, public workbench::ScriptConsole {
public:
    Engine(Machine& machine, ScriptHost& host, EngineOptions options = {});
    ~Engine() override;

    // ---- Any thread ----
    // Runs the script in the file at the next frame boundary.
    void runFile(const std::string& path) override;
    // Stops every script (the prompt's state is kept).
    void stopScripts() override;
    // Evaluates a line of Lua in the prompt's state; what it returns goes
    // to the output.
    void evaluate(const std::string& line) override;
    // The board was reset: the reset callbacks run at the next frame boundary.
    void noteReset() { fResetPending.store(true, std::memory_order_relaxed); }
    // The output lines from number `first` on; `total` gets the count so far.
    std::vector<std::string> output(size_t first, size_t& total) const override;
    // Whether a script runs (has callbacks and no error), or waits to.
    bool running() const override { return fRunning.load(std::memory_order_relaxed); }
    void setSymbols(std::shared_ptr<const workbench::Symbols> symbols);

    // ---- The emulation thread ----
    // The inputs scripts hold, added to the frame's keys (the key source).
    void addHeldKeys(uint8_t keys[16]) const;
    void frameBoundary() override;
    bool takesStops() override { return fWatched > 0; }
    bool claims(const RunStop& stop) override;
    bool stopped(const RunStop& stop, uint32_t code) override;

    // ---- For the API, on the emulation thread ----
    Machine& machine() { return fMachine; }
    ScriptHost& host() { return fHost; }
    double timeLimit() const { return fOptions.timeLimit; }
    uint32_t frame() const { return fFrame; }
    KeyStates& heldKeys() { return fHeld; }
    const workbench::Symbols* symbols();
    // Adds a callback to the script, setting the breakpoint or watchpoint it
    // needs; its id. Throws ArgumentError when the core's table is full.
    int add(Script& script, Callback callback);
    // Removes the script's callback `id`; false when it has none.
    bool remove(Script& script, int id);
    // Clears what the callback set, unless another callback still needs it
    // or another debugger had set it first.
    void unwatch(const Callback& callback);
    // A line to the console and the output.
    void log(const std::string& line);
    // A script failed with `message` (the traceback included).
    void failed(Script& script, const std::string& message);
    // emu.exit: the program quits with `status`; no script runs after it.
    void exit(int status);

private:
    struct Request {
        enum Kind { RunFile, Stop, Evaluate } kind;
        std::string text;
    };
    void serve(const Request& request);
    // Runs the callbacks of `kind` (at `address`, for exec, read and write).
    void dispatch(CallbackKind kind, uint32_t address = 0);
    void dispatch(Script& script, CallbackKind kind, uint32_t address);
    void dropStopped();
    // The key of a watchpoint the engine keeps: address, length, kinds.
    using Watch = std::tuple<uint32_t, uint32_t, int>;

    Machine& fMachine;
    ScriptHost& fHost;
    EngineOptions fOptions;
    std::vector<std::unique_ptr<Script>> fScripts;
    std::unique_ptr<Script> fPrompt;
    uint32_t fFrame = 0;
    KeyStates fHeld;
    int fNextId = 1;
    bool fExited = false;
    // The breakpoints and watchpoints the callbacks need, with how many need
    // each, and which ones the engine set (the others were there before).
    std::map<uint32_t, int> fBreakpoints;
    std::map<Watch, int> fWatchpoints;
    std::map<uint32_t, bool> fBreakpointsOwned;
    std::map<Watch, bool> fWatchpointsOwned;
    int fWatched = 0;  // exec, read and write callbacks

    mutable std::mutex fLock;  // guards what follows
    std::vector<Request> fRequests;
    std::vector<std::string> fOutput;
    size_t fOutputBase = 0;  // the number of the first line kept
    std::shared_ptr<const workbench::Symbols> fSymbols;
    std::atomic<bool> fResetPending{false};
    std::atomic<bool> fRunning{false};
};

}  // namespace scripting
