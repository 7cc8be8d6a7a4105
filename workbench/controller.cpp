#include "controller.h"

#include <algorithm>
#include <utility>
#include <cstdio>

#include "memory_view.h"
#include "run_control.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace workbench {

namespace {

// A listing holds enough lines to fill a tall panel, a few dozen of them
// before the PC; it stays while the PC walks down it, until its last lines.
constexpr int kListingLines = 128;
constexpr int kListingKeep = 112;

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", value);
    return text;
}

// The board's image as a shared copy, taken again only when the board's
// image is another.
void share(std::span<unsigned char> image, const unsigned char*& source,
           std::shared_ptr<const std::vector<uint8_t>>& copy) {
    if (image.data() == source && copy && copy->size() == image.size()) return;
    source = image.data();
    copy = std::make_shared<const std::vector<uint8_t>>(image.begin(), image.end());
}

// Where to list from so that instructions before the PC show: the furthest
// start up to kListingBack bytes back whose instructions, decoded forward,
// land on the PC (the 68000's code cannot be decoded backward).
constexpr uint32_t kListingBack = 96;
uint32_t listingStartBefore(uint32_t pc, const CodeDataLog* log) {
    for (uint32_t back = kListingBack; back >= 2; back -= 2) {
        if (pc < back) continue;
        uint32_t at = pc - back;
        while (at < pc) at += lineAt(at, log).length;
        if (at == pc) return pc - back;
    }
    return pc;
}

bool isRunCommand(CommandKind kind) {
    return kind == CommandKind::Run || kind == CommandKind::Trace || kind == CommandKind::Pause || kind == CommandKind::Step ||
           kind == CommandKind::StepOver || kind == CommandKind::StepOut || kind == CommandKind::RunTo ||
           kind == CommandKind::FrameStep;
}

}  // namespace

void Controller::setOpen(bool open) {
    std::lock_guard lock(fLock);
    if (open && !fOpen) ++fOpenings;
    fOpen = open;
    fRefusal.clear();
}

uint32_t Controller::openings() const {
    std::lock_guard lock(fLock);
    return fOpenings;
}

bool Controller::open() const {
    std::lock_guard lock(fLock);
    return fOpen;
}

constexpr const char* kMonitorHasIt = "The console monitor has the machine: switch Debug off to run it from the workbench";

void Controller::post(const Command& command) {
    std::lock_guard lock(fLock);
    if (isRunCommand(command.kind) && fMonitorActive && fMonitorActive()) {
        fRefusal = kMonitorHasIt;
        return;
    }
    fRefusal.clear();
    if (fQueue.size() < 256) fQueue.push_back(command);
}

std::string Controller::takeRefusal() {
    std::lock_guard lock(fLock);
    return std::exchange(fRefusal, std::string());
}

std::shared_ptr<const Snapshot> Controller::latest() const {
    std::lock_guard lock(fLock);
    return fLatest;
}

std::shared_ptr<const Snapshot> Controller::atLastStop() const {
    std::lock_guard lock(fLock);
    return fAtStop;
}

void Controller::setMonitorCheck(bool (*monitorActive)()) {
    std::lock_guard lock(fLock);
    fMonitorActive = monitorActive;
}

void Controller::setSymbols(std::shared_ptr<const Symbols> symbols, std::shared_ptr<const LineTable> lines) {
    std::lock_guard lock(fLock);
    fSymbols = std::move(symbols);
    fLines = std::move(lines);
}

std::shared_ptr<const Symbols> Controller::symbols() const {
    std::lock_guard lock(fLock);
    return fSymbols;
}

// Each message has its serial number, so that the window tells a new one
// (even with the same text) from the one it has shown.
void Controller::say(std::string message) {
    fMessage = std::move(message);
    ++fMessageSerial;
}

void Controller::stopHere(const std::string& why) {
    fStopped = true;
    fGoal.reset();
    say(why + " at " + hex(_s68000context.pc & 0xFFFFFF));
}

void Controller::apply(const Command& c, std::string& message) {
    s68000context& cpu = _s68000context;
    if (isRunCommand(c.kind) && fMonitorActive && fMonitorActive()) {
        message = kMonitorHasIt;
        return;
    }
    const bool needsStop = c.kind == CommandKind::Step || c.kind == CommandKind::StepOver ||
                           c.kind == CommandKind::StepOut || c.kind == CommandKind::SetRegister ||
                           c.kind == CommandKind::PokeByte;
    if (needsStop && !fStopped) {
        message = "Pause first: the 68000 is running";
        return;
    }
    if (isRunCommand(c.kind)) fListingPinned = false;
    switch (c.kind) {
        case CommandKind::ProfileStart:
        case CommandKind::ProfileStop:
        case CommandKind::ProfileSave:
            applyProfile(c, message);
            return;
        case CommandKind::Trace:
            startTrace(c, message);
            return;
        case CommandKind::CodeDataSave:
        case CommandKind::CodeDataLoad:
            applyCodeData(c, message);
            return;
        case CommandKind::SetWatchpoint:
        case CommandKind::ClearWatchpoint: {
            const bool set = c.kind == CommandKind::SetWatchpoint;
            const int result = set ? s68000setWatchpoint(c.address, c.value, c.index)
                                   : s68000clearWatchpoint(c.address, c.value, c.index);
            message = result == 0 ? std::string(set ? "Watchpoint set at " : "Watchpoint cleared at ") + hex(c.address)
                      : !set      ? "No such watchpoint"
                      : result == 1 ? "No watchpoint set: the table holds " + std::to_string(S68000_MAX_WATCHPOINTS)
                                    : "No watchpoint set: give a length of 1 or more within the address space and "
                                      "read, write or both";
            return;
        }
        case CommandKind::ListAt:
            fListingStart = listingStartBefore(c.address & 0xFFFFFF, codeData());
            fListingPinned = true;
            return;
        case CommandKind::Run:
            fStopped = false;
            fGoal.reset();
            fLeaveBreakpoint = true;
            message = "Running";
            return;
        case CommandKind::Pause:
            if (!fStopped) stopHere("Paused");
            return;
        case CommandKind::Step: fGoal = planGoal(GoalKind::Step); break;
        case CommandKind::StepOver: fGoal = planGoal(GoalKind::Over); break;
        case CommandKind::StepOut: fGoal = planGoal(GoalKind::Out); break;
        case CommandKind::RunTo: fGoal = planGoal(GoalKind::ToAddress, c.address); break;
        case CommandKind::FrameStep:
            fStopped = false;
            fGoal.reset();
            fLeaveBreakpoint = true;
            fStopAtBoundary = true;
            return;
        case CommandKind::ToggleBreakpoint: {
            const uint32_t address = c.address & 0xFFFFFF;
            if (s68000clearBreakpoint(address) == 0) message = "Breakpoint at " + hex(address) + " cleared";
            else if (s68000setBreakpoint(address) == 0) message = "Breakpoint set at " + hex(address);
            else message = "No breakpoint set: the table holds " + std::to_string(S68000_MAX_BREAKPOINTS);
            return;
        }
        case CommandKind::SetRegister:
            if (c.index >= 0 && c.index < 8) cpu.dreg[c.index] = c.value;
            else if (c.index >= 8 && c.index < 16) cpu.areg[c.index - 8] = c.value;
            else if (c.index == kRegisterPc) cpu.pc = c.value & 0xFFFFFF;
            else if (c.index == kRegisterSr) s68000setSR(static_cast<uint16_t>(c.value));
            else if (c.index == kRegisterOtherStack) cpu.asp = c.value;
            else {
                message = "No register " + std::to_string(c.index);
                return;
            }
            debuggerTargetChanged();
            return;
        case CommandKind::PokeByte: {
            if (auto refused = refuseEdit(c.address)) {
                message = *refused;
                return;
            }
            const uint32_t a = c.address & 0xFFFFFF;
            const bool work = a < 0x700000;
            const auto memory = fMachine.memory(work ? Memory::WorkRam : Memory::SpriteRam);
            const size_t at = (a - (work ? 0x100000 : 0x700000)) ^ 1;  // each word in host order
            if (at < memory.size()) memory[at] = static_cast<unsigned char>(c.value);
            debuggerTargetChanged();
            fMachine.drawPicture();
            return;
        }
    }
    // A step goal: runs in the slices of this frame.
    fStopped = false;
}

// The listing from `start`, decoded again only when it starts elsewhere, the
// ROM is another or it lies outside the program ROM (code in RAM may change).
const std::vector<ListingLine>& Controller::listing(uint32_t start) {
    const uint32_t end = start + kListingLines * 10;  // the longest 68000 instruction is 10 bytes
    const bool rom = fRom && end <= fRom->size();
    const uint64_t changes = codeData() ? codeData()->changes() : 0;
    if (!rom || start != fListedFrom || fRom.get() != fListedRom || fListed.empty() || changes != fListedChanges)
        fListed = listingFrom(start, kListingLines, codeData());
    fListedChanges = changes;
    fListedFrom = rom ? start : 0xFFFFFFFF;
    fListedRom = fRom.get();
    return fListed;
}

void Controller::publish() {
    if (!fMachine.ready()) return;  // no memories to copy
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->valid = true;
    fMachine.capture(snapshot->state);
    share(fMachine.memory(Memory::ProgramRom), fRomSource, fRom);
    share(fMachine.memory(Memory::Graphics), fGraphicsSource, fGraphics);
    snapshot->programRom = fRom;
    snapshot->graphics = fGraphics;
    if (const uint16_t* picture = fMachine.picture())
        snapshot->picture.assign(picture, picture + kScreenWidth * kScreenHeight);
    snapshot->frame = fFrames;
    snapshot->cycles = fMachine.cycles();
    snapshot->stopped = fStopped;
    const uint32_t pc = _s68000context.pc & 0xFFFFFF;
    // The listing stays where it is while the PC walks down it.
    const auto within = [&](const std::vector<ListingLine>& lines) {
        for (int i = 0; i < std::min<int>(kListingKeep, static_cast<int>(lines.size())); ++i)
            if (lines[i].address == pc) return true;
        return false;
    };
    if (fListingStart != 0xFFFFFFFF) snapshot->listing = listing(fListingStart);
    if (!fListingPinned && !within(snapshot->listing)) {
        fListingStart = listingStartBefore(pc, codeData());
        snapshot->listing = listing(fListingStart);
    }
    uint32_t address = 0;
    for (int i = 0; s68000breakpointAt(i, &address) == 0; ++i) snapshot->breakpoints.push_back(address);
    std::sort(snapshot->breakpoints.begin(), snapshot->breakpoints.end());
    Snapshot::Watchpoint w;
    for (int i = 0; s68000watchpointAt(i, &w.address, &w.length, &w.kinds) == 0; ++i)
        snapshot->watchpoints.push_back(w);
    snapshot->message = fMessage;
    publishProfile(*snapshot);
    if (fAccess) {
        snapshot->accessAges = fAccess->ages();
        snapshot->frameEvents.assign(fAccess->frames().begin(), fAccess->frames().end());
        snapshot->codeDataCounts = fAccess->codeData().counts();
    }
    snapshot->messageSerial = fMessageSerial;
    std::lock_guard lock(fLock);
    snapshot->monitorOwns = fMonitorActive && fMonitorActive();
    if (fStopped && (!fLatest || !fLatest->stopped)) {
        fAtStop = fStopSnapshot;  // the stop before this one
        fStopSnapshot = snapshot;
    }
    fLatest = std::move(snapshot);
}

void Controller::frameBoundary() {
    std::vector<Command> queue;
    uint32_t opening = 0;
    {
        std::lock_guard lock(fLock);
        fActive = fOpen;
        opening = fOpenings;
        queue.swap(fQueue);
    }
    if (!fActive) {
        fSession.reset();  // the flow and access hooks unset: the core at its full speed
        fAccess.reset();
        fProfiling = false;
        endTrace("the workbench closed");
        fStopped = fStopAtBoundary = false;
        fGoal.reset();
        return;
    }
    // The frames run since this opening: the one that ends here counts when
    // the 68000 ran to its end.
    if (opening != fOpeningSeen) {
        fOpeningSeen = opening;
        fFrames = 0;
        say("");
    } else if (!fStopped) {
        ++fFrames;
    }
    if (!fSession) {
        // The call stack is followed while the workbench is open.
        std::lock_guard lock(fLock);
        fSession = std::make_unique<ProfileSession>(fMachine, fSymbols);
        fSession->requestStart();
    }
    fSession->frameBoundary();
    followAccesses();
    if (fTrace.file && fTrace.framesLeft && --fTrace.framesLeft == 0) endTrace("the count");
    if (fStopAtBoundary) {
        fStopAtBoundary = false;
        stopHere("Frame stepped");
    }
    // Each command's outcome replaces the message before it, even with none.
    for (const Command& command : queue) {
        say("");
        apply(command, fMessage);
    }
    publish();
}

uint32_t Controller::runSlice(int32_t cycles) {
    RunClient* const alone[] = {this};
    return RunControl::runSlice(alone, cycles);
}

bool Controller::ownsSlice() { return fActive && (fTrace.file || fStopped || fGoal); }

uint32_t Controller::runOwnSlice(int32_t cycles) {
    if (!fStopped && !fGoal) return traceSlice(cycles);
    if (!fGoal) return S68000_EXIT_OK;  // stopped: nothing runs
    int32_t used = 0;
    switch (runToward(*fGoal, cycles, used)) {
        case RunEnd::Reached: stopHere("Stopped"); break;
        case RunEnd::Breakpoint: stopHere("Breakpoint"); break;
        case RunEnd::Budget: break;  // goes on in the next slice
    }
    return S68000_EXIT_OK;
}

void Controller::sliceStarts() {
    if (!fActive) return;
    if (fAccess) fAccess->sliceStarts();
    if (fLeaveBreakpoint) s68000stepOverBreakpoint(_s68000context.pc);
    fLeaveBreakpoint = false;
}

bool Controller::stopped(const RunStop& stop, uint32_t) {
    if (stop.watched) {
        const char* what = stop.kinds == S68000_WATCH_READ ? "read" : stop.kinds == S68000_WATCH_WRITE ? "write" : "access";
        stopHere(std::string("Watchpoint: ") + what + " of " + hex(stop.address));
    } else {
        stopHere("Breakpoint");
    }
    return false;  // the rest of the frame's slices run nothing
}

// The access log follows the ROM set booted: a new set starts a new log. A
// set comes in only with a power-on, which sets the cycle count back to 0
// (as a state's restore and the count's wrap may): the set's hash, some
// hundreds of microseconds, is taken again only then.
void Controller::followAccesses() {
    if (!fMachine.ready()) return;
    const uint32_t cycles = fMachine.cycles();
    if (!fAccess || cycles < fAccessCycles) {
        const uint64_t romSet = fMachine.romSetHash();
        if (!fAccess || romSet != fAccessRomSet) {
            fAccess.reset();
            fAccessRomSet = romSet;
            fAccess = std::make_unique<AccessLog>(fMachine,
                                                  static_cast<uint32_t>(fMachine.memory(Memory::ProgramRom).size()));
        }
    }
    fAccessCycles = cycles;
    fAccess->frameBoundary(fFrames);
}

void Controller::applyCodeData(const Command& c, std::string& message) {
    if (!fAccess) {
        message = "No code/data log: boot a ROM set first";
        return;
    }
    CodeDataLog& log = fAccess->codeData();
    if (c.kind == CommandKind::CodeDataSave) {
        const std::string text = log.file(fAccessRomSet);
        std::FILE* file = std::fopen(c.path.c_str(), "wb");
        const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if (file && std::fclose(file) != 0) file = nullptr;
        message = written && file ? "Code/data log saved to " + c.path : "The code/data log could not be written to " + c.path;
        return;
    }
    std::FILE* file = std::fopen(c.path.c_str(), "rb");
    if (!file) {
        message = "No code/data log could be read from " + c.path;
        return;
    }
    std::string text;
    char buffer[65536];
    // A log is 18 bytes and one a ROM word: anything much longer is not one.
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= log.romBytes() + 65536;)
        text.append(buffer, n);
    std::fclose(file);
    const auto refused = log.load(text, fAccessRomSet);
    message = refused ? *refused + ": " + c.path : "Code/data log loaded from " + c.path;
}

}  // namespace workbench
