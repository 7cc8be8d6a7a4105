// The workbench's control of the machine. The window's threads post commands
// and read the latest snapshot; the emulation thread applies the commands at
// frame boundaries, runs the slices (stopping at breakpoints and at the goals
// of the step commands, running nothing while stopped) and publishes a
// snapshot at every frame boundary. With the workbench closed it neither
// stops nor runs anything of its own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "access_log.h"
#include "cpu_control.h"
#include "line_table.h"
#include "machine.h"
#include "profile_session.h"
#include "registers.h"
#include "run_control.h"
#include "script_console.h"
#include "snapshot.h"
#include "symbols.h"

namespace workbench {

enum class CommandKind {
    Run, Pause, Step, StepOver, StepOut, RunTo, FrameStep,
    ToggleBreakpoint, SetRegister, PokeByte,
    ListAt,  // the CPU panel's listing from an address, until the 68000 runs
    Trace,   // every instruction run into a file, for a count of instructions or frames
    SetWatchpoint, ClearWatchpoint,  // address, value: the length, index: the kinds
    ProfileStart, ProfileStop,  // a profile's range, from the next frame boundary
    ProfileSave,                // the profile in callgrind's format into the file `path`
    CodeDataSave, CodeDataLoad,  // the code/data log into or from the file `path`
};


struct Command {
    CommandKind kind = CommandKind::Pause;
    uint32_t address = 0;  // RunTo, ToggleBreakpoint, PokeByte, ListAt
    uint32_t value = 0;    // SetRegister, PokeByte; Trace: the count
    int index = 0;         // SetRegister (registers.h); Trace: 0 instructions, 1 frames
    std::string path;      // Trace: the file
};

class Controller final : public RunClient {
public:
    explicit Controller(Machine& machine) : fMachine(machine) {}

    // ---- Any thread ----
    void setOpen(bool open);
    bool open() const;
    // How many times the workbench has been opened.
    uint32_t openings() const;
    // Queued for the next frame boundary. A run command while the console
    // monitor has the emulation thread (which then reaches no frame
    // boundary) is refused at once: takeRefusal() says why, once.
    void post(const Command& command);
    std::string takeRefusal();
    std::shared_ptr<const Snapshot> latest() const;
    // The snapshot at the last stop (for the bytes changed since).
    std::shared_ptr<const Snapshot> atLastStop() const;
    // Whether the console monitor has the emulation thread (the shell says).
    void setMonitorCheck(bool (*monitorActive)());
    // The names, and the line table of the same ELF file for a profile's
    // export (null when it has none).
    void setSymbols(std::shared_ptr<const Symbols> symbols, std::shared_ptr<const LineTable> lines = nullptr);
    // The scripts the Script panel drives (null: none; set before the
    // window opens).
    void setScriptConsole(ScriptConsole* console) { fScriptConsole = console; }
    ScriptConsole* scriptConsole() const { return fScriptConsole; }
    std::shared_ptr<const Symbols> symbols() const;

    // ---- The emulation thread ----
    // A client of the run control: at every frame boundary it applies the
    // commands and publishes a snapshot; while open it takes the stops (after
    // a client attached before it, the gdb stub), and runs the slices itself
    // while stopped, on a goal or tracing.
    void frameBoundary() override;
    // One slice with the controller alone on the run control.
    uint32_t runSlice(int32_t cycles);

    bool ownsSlice() override;
    uint32_t runOwnSlice(int32_t cycles) override;
    void sliceStarts() override;
    bool takesStops() override { return fActive; }
    bool stopped(const RunStop& stop, uint32_t code) override;

private:
    void apply(const Command& command, std::string& message);
    void say(std::string message);
    void stopHere(const std::string& why);
    void publish();
    const std::vector<ListingLine>& listing(uint32_t start);
    void startTrace(const Command& command, std::string& message);
    uint32_t traceSlice(int32_t cycles);
    void endTrace(const char* why);
    void applyProfile(const Command& command, std::string& message);
    void applyCodeData(const Command& command, std::string& message);
    void followAccesses();
    const CodeDataLog* codeData() const { return fAccess ? &fAccess->codeData() : nullptr; }
    void publishProfile(Snapshot& snapshot);

    Machine& fMachine;
    mutable std::mutex fLock;  // guards what follows up to the emulation thread's own
    bool fOpen = false;
    uint32_t fOpenings = 0;
    std::vector<Command> fQueue;
    std::string fRefusal;
    std::shared_ptr<const Snapshot> fLatest, fAtStop, fStopSnapshot;
    std::shared_ptr<const Symbols> fSymbols;
    ScriptConsole* fScriptConsole = nullptr;
    std::shared_ptr<const LineTable> fLines;
    bool (*fMonitorActive)() = nullptr;

    // The emulation thread's own.
    bool fActive = false;  // the workbench was open at the last frame boundary
    bool fStopped = false, fStopAtBoundary = false, fLeaveBreakpoint = false;
    std::optional<Goal> fGoal;
    std::string fMessage;
    uint64_t fMessageSerial = 0;
    uint32_t fOpeningSeen = 0;
    uint64_t fFrames = 0;
    uint32_t fListingStart = 0xFFFFFFFF;
    std::vector<ListingLine> fListed;  // the last listing made, from fListedFrom in ROM
    uint32_t fListedFrom = 0xFFFFFFFF;
    const std::vector<uint8_t>* fListedRom = nullptr;
    uint64_t fListedChanges = 0;  // the code/data log's when listed
    bool fListingPinned = false;
    struct TraceRun {
        std::FILE* file = nullptr;
        std::string path;
        uint64_t instructionsLeft = 0, framesLeft = 0, written = 0;
    } fTrace;
    std::shared_ptr<const std::vector<uint8_t>> fRom, fGraphics;
    // The call stack while open, and the profile's range (the session's).
    std::unique_ptr<ProfileSession> fSession;
    bool fProfiling = false;
    std::shared_ptr<const NamedProfile> fProfile;
    const unsigned char *fRomSource = nullptr, *fGraphicsSource = nullptr;
    // What the 68000 accesses while open (highlights, code/data log, events),
    // for the ROM set of that hash.
    std::unique_ptr<AccessLog> fAccess;
    uint64_t fAccessRomSet = 0;
    uint32_t fAccessCycles = 0;  // the cycle count at the last boundary
};

}  // namespace workbench
