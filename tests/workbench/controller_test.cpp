// The controller on the demo, with its hooks in the frames: refusals change
// nothing, a breakpoint (set as the gdb stub sets one) stops the 68000 where
// it is and is listed, and a trace writes one line per instruction.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "board_session.h"
#include "controller.h"
#include "run_control.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace {

using namespace workbench;

Controller* hooked = nullptr;
bool monitorOn = false;
int targetChanges = 0;  // the edits reported as changing the recorded past

struct Hooked {
    Controller controller{e2e::board()};
    Hooked() {
        EXPECT_TRUE(e2e::startBoard(DEMO_ROM_BASE));
        e2e::powerOn(false);
        hooked = &controller;
        monitorOn = false;
        controller.setMonitorCheck([] { return monitorOn; });
        targetChanges = 0;
        debugger_target_changed = [] { ++targetChanges; };
        e2e::board().setDebugger([] { hooked->frameBoundary(); }, [](int32_t c) { return hooked->runSlice(c); });
        controller.setOpen(true);
        for (int i = 0; i < 30; ++i) e2e::runFrame();
    }
    ~Hooked() {
        e2e::board().setDebugger(nullptr, nullptr);
        debugger_target_changed = nullptr;
        s68000clearBreakpoints();
        s68000clearWatchpoints();
    }
    std::shared_ptr<const Snapshot> run(const Command& command, int frames = 2) {
        controller.post(command);
        for (int i = 0; i < frames; ++i) e2e::runFrame();
        return controller.latest();
    }
};

Command make(CommandKind kind, uint32_t value = 0, int index = 0, std::string path = "", uint32_t address = 0) {
    return {kind, address, value, index, std::move(path)};
}

TEST(WorkbenchController, RefusalsSayWhyAndChangeNothing) {
    const struct {
        const char* name;
        Command command;
        bool monitor;
        const char* message;
    } cases[] = {
        {"step while running", make(CommandKind::Step), false, "Pause first: the 68000 is running"},
        {"register while running", make(CommandKind::SetRegister, 0x5A5A5A5A, kRegisterOtherStack), false,
         "Pause first: the 68000 is running"},
        {"run under the monitor", make(CommandKind::Run), true,
         "The console monitor has the machine: switch Debug off to run it from the workbench"},
        {"trace into no directory", make(CommandKind::Trace, 10, 0, "/nonexistent/dir/trace.txt"), false,
         "Trace not started: /nonexistent/dir/trace.txt cannot be written (No such file or directory)"},
        {"trace of nothing", make(CommandKind::Trace, 0, 0, "trace.txt"), false,
         "Trace not started: the count must be 1 to 1000000 instructions"},
        {"trace of too many frames", make(CommandKind::Trace, 601, 1, "trace.txt"), false,
         "Trace not started: the count must be 1 to 600 frames"},
        {"code/data log into no directory", make(CommandKind::CodeDataSave, 0, 0, "/nonexistent/dir/a.cdl"), false,
         "The code/data log could not be written to /nonexistent/dir/a.cdl"},
        {"code/data log from nothing", make(CommandKind::CodeDataLoad, 0, 0, "/nonexistent/a.cdl"), false,
         "No code/data log could be read from /nonexistent/a.cdl"},
        {"code/data log from another kind of file", make(CommandKind::CodeDataLoad, 0, 0, "/proc/self/stat"), false,
         "This is not a code/data log: /proc/self/stat"},
    };
    Hooked h;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        monitorOn = c.monitor;
        const auto s = h.run(c.command);
        EXPECT_EQ(c.monitor ? h.controller.takeRefusal() : s->message, c.message);
        EXPECT_FALSE(s->stopped);
        EXPECT_NE(s->state.asp, 0x5A5A5A5Au) << "a refused register write was made";
    }
    EXPECT_EQ(targetChanges, 0);
    EXPECT_EQ(std::fopen("trace.txt", "r"), nullptr) << "a refused trace made its file";
    EXPECT_EQ(h.controller.latest()->codeDataCounts.size(), 3u) << "the log is kept while open";
}

TEST(WorkbenchController, ABreakpointStopsWhereItIsAndIsListed) {
    Hooked h;
    const auto before = h.controller.latest();
    // The listing: instructions one after the other, the PC among the first.
    ASSERT_GE(before->listing.size(), 8u);
    for (size_t i = 1; i < before->listing.size(); ++i)
        EXPECT_EQ(before->listing[i].address, before->listing[i - 1].address + before->listing[i - 1].length);
    // The PC with lines before it to centre it, and each line's words.
    size_t here = 0;
    while (here < before->listing.size() && before->listing[here].address != before->state.pc) ++here;
    ASSERT_LT(here + 4, before->listing.size()) << "the PC is not in the listing";
    EXPECT_GE(here, 8u) << "fewer than 8 lines before the PC";
    char opcode[8];
    std::snprintf(opcode, sizeof opcode, "%04X", e2e::board().peekWord(before->state.pc).value_or(0));
    EXPECT_EQ(before->listing[here].words.substr(0, 4), opcode);
    EXPECT_EQ(before->listing[here].words.size(), before->listing[here].length / 2 * 5 - 1);
    const uint32_t address = before->listing[here + 3].address;  // in the main loop the demo runs every frame
    ASSERT_EQ(s68000setBreakpoint(address), 0);            // as the gdb stub's Z0 sets it
    const auto s = h.run(make(CommandKind::Run), 3);
    EXPECT_TRUE(s->stopped);
    EXPECT_EQ(s->state.pc, address);
    EXPECT_EQ(s->breakpoints, std::vector<uint32_t>{address});
    // Stopped, frames go by and the 68000 stays.
    const auto later = h.run(make(CommandKind::ListAt, 0), 3);
    EXPECT_EQ(later->state.pc, address);
    EXPECT_EQ(later->cycles, s->cycles);
}

TEST(WorkbenchController, AWatchpointStopsAfterTheWriteAndIsListed) {
    Hooked h;
    // The demo's frame counter, which its interrupt writes every frame.
    Command watch = make(CommandKind::SetWatchpoint, 4, S68000_WATCH_WRITE, "", 0x10000C);
    const auto s = h.run(watch, 3);
    EXPECT_TRUE(s->stopped);
    EXPECT_EQ(s->message.rfind("Watchpoint: write of 0x10000C at 0x", 0), 0u) << s->message;
    EXPECT_EQ(s->watchpoints, (std::vector<Snapshot::Watchpoint>{{0x10000C, 4, S68000_WATCH_WRITE}}));
    Command clear = watch;
    clear.kind = CommandKind::ClearWatchpoint;
    EXPECT_EQ(h.run(clear)->watchpoints.size(), 0u);
    Command bad = make(CommandKind::SetWatchpoint, 0, S68000_WATCH_WRITE);
    EXPECT_EQ(h.run(bad)->message.rfind("No watchpoint set:", 0), 0u);
}

// Stopped, each command does its one thing and says so; step over and out
// through the controller land after the demo's call, which the call stack
// shows (the controller's and another session's at once).
TEST(WorkbenchController, StoppedCommandsStepEditAndToggle) {
    Hooked h;
    auto s = h.run(make(CommandKind::Pause));
    ASSERT_TRUE(s->stopped);
    const auto at = [](uint32_t pc) { char t[16]; std::snprintf(t, sizeof t, " at 0x%06X", pc); return std::string(t); };
    EXPECT_EQ(s->message, "Paused" + at(s->state.pc));
    size_t call = 0;  // the first call in the listing past the PC
    while (call < s->listing.size() && (s->listing[call].address <= s->state.pc ||
           (s->listing[call].text.rfind("jsr", 0) != 0 && s->listing[call].text.rfind("bsr", 0) != 0))) ++call;
    ASSERT_LT(call, s->listing.size()) << "no call in the listing";
    const uint32_t callAt = s->listing[call].address, after = callAt + s->listing[call].length;
    s = h.run(make(CommandKind::RunTo, 0, 0, "", callAt), 3);
    EXPECT_EQ(s->message, "Stopped" + at(callAt));
    s = h.run(make(CommandKind::StepOver), 3);
    EXPECT_EQ(s->message, "Stopped" + at(after));
    s = h.run(make(CommandKind::RunTo, 0, 0, "", callAt), 3);  // the main loop comes round again
    ASSERT_EQ(s->state.pc, callAt);
    const uint32_t stack = s->state.areg[7];
    EXPECT_EQ(targetChanges, 0) << "runs within the slices keep the recorded past";
    EXPECT_EQ(h.run(make(CommandKind::SetRegister, 0x2700, kRegisterSr))->state.sr, 0x2700);  // no interrupt now
    ProfileSession other(e2e::board(), nullptr);  // beside the controller's, as --profile runs
    other.requestStart();
    other.frameBoundary();
    s = h.run(make(CommandKind::Step));
    EXPECT_EQ(s->state.areg[7], stack - 4) << "the call pushed its return address";
    for (const CallStack* calls : {&other.stack(), static_cast<const CallStack*>(nullptr)}) {
        const auto& frames = calls ? calls->frames() : s->callStack;
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back().site, after) << "the call stack's newest frame returns after the call";
        EXPECT_EQ(frames.back().function, s->state.pc);
    }
    for (int r = 0; r < kRegisterCount; ++r)  // changed since the last stop: the PC, A7 and the SR written
        EXPECT_EQ(registerChanged(h.controller.atLastStop()->state, s->state, r),
                  r == kRegisterPc || r == 15 || r == kRegisterSr) << r;
    s = h.run(make(CommandKind::StepOut), 3);
    EXPECT_EQ(s->message, "Stopped" + at(after));
    EXPECT_EQ(s->state.areg[7], stack);
    s = h.run(make(CommandKind::FrameStep));
    EXPECT_TRUE(s->stopped);
    EXPECT_EQ(s->message.rfind("Frame stepped at 0x", 0), 0u) << s->message;

    EXPECT_EQ(h.run(make(CommandKind::ToggleBreakpoint, 0, 0, "", callAt))->breakpoints, std::vector<uint32_t>{callAt});
    s = h.run(make(CommandKind::RunTo, 0, 0, "", 0xFFFFFE), 3);  // never reached: the breakpoint on the way stops it
    EXPECT_EQ(s->message, "Breakpoint" + at(callAt));
    s = h.run(make(CommandKind::ToggleBreakpoint, 0, 0, "", callAt));
    EXPECT_TRUE(s->breakpoints.empty());
    EXPECT_EQ(s->message, "Breakpoint" + at(callAt) + " cleared");
    const struct { int index; uint32_t value; uint32_t BoardState::*field; const char* message; } registers[] = {
        {3, 0x12345678, nullptr, nullptr}, {10, 0x00ABCDEF, nullptr, nullptr},
        {kRegisterPc, 0x01000402, &BoardState::pc, nullptr}, {kRegisterOtherStack, 0x2468, &BoardState::asp, nullptr},
        {40, 1, nullptr, "No register 40"},
    };
    for (const auto& r : registers) {
        const int changes = targetChanges;
        s = h.run(make(CommandKind::SetRegister, r.value, r.index));
        EXPECT_EQ(targetChanges - changes, r.message ? 0 : 1) << r.index;
        if (r.message) EXPECT_EQ(s->message, r.message);
        else if (r.field) EXPECT_EQ(s->state.*r.field, r.index == kRegisterPc ? (r.value & 0xFFFFFF) : r.value);
        else EXPECT_EQ(r.index < 8 ? s->state.dreg[r.index] : s->state.areg[r.index - 8], r.value);
    }
    const int changes = targetChanges;
    EXPECT_EQ(h.run(make(CommandKind::PokeByte, 0xA5, 0, "", 0x100101))->state.workRam[0x80] & 0xFF, 0xA5);
    EXPECT_EQ(h.run(make(CommandKind::PokeByte, 0xA5, 0, "", 0x000400))->message,
              "0x000400 cannot be edited: only work RAM and sprite RAM can");
    EXPECT_EQ(targetChanges - changes, 1);
}

// The frame counter counts the frames the 68000 ran since the workbench was
// last opened; each command's outcome replaces the message before it.
TEST(WorkbenchController, FramesRunSinceOpeningAndTheLastCommandsMessage) {
    Hooked h;
    const uint64_t paused = h.run(make(CommandKind::Pause))->frame;
    auto s = h.run(make(CommandKind::ListAt), 10);
    EXPECT_EQ(s->frame, paused) << "frames counted while stopped";
    EXPECT_EQ(s->message, "") << "the pause's message outlived the next command";
    EXPECT_EQ(h.run(make(CommandKind::FrameStep), 3)->frame, paused + 1);
    h.controller.setOpen(false);
    e2e::runFrame();
    h.controller.setOpen(true);
    s = h.run(make(CommandKind::ListAt), 3);
    EXPECT_EQ(s->frame, 2u) << "the count did not restart at the opening";
    EXPECT_EQ(s->message, "");
}

// As in the program: the window's threads post and read while the frames run.
TEST(WorkbenchController, PanelsReadAndPostWhileTheFramesRun) {
    Hooked h;
    std::atomic<bool> done{false}, reading{false};
    std::thread panels([&] {
        uint64_t seen = 0;
        for (int i = 0; i == 0 || !done.load(); ++i, reading = true) {
            if (const auto s = h.controller.latest()) seen = std::max(seen, s->frame);
            h.controller.post(make(i % 2 ? CommandKind::Pause : CommandKind::Run));
            (void)h.controller.takeRefusal();
        }
        EXPECT_GT(seen, 0u);
    });
    // The frames start once the panels read (a loaded machine may start the thread late).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!reading && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    EXPECT_TRUE(reading) << "the panels' thread did not run within 10 s";
    const auto first = h.controller.latest();
    for (int i = 0; i < 60; ++i) e2e::runFrame();
    done = true;
    panels.join();
    EXPECT_NE(h.controller.latest(), first) << "no snapshot published while the panels posted";
}

// A word the saved log has as data is listed as "dc.w" with its value, and
// the file loads back into the log it came from.
TEST(WorkbenchController, TheCodeDataLogListsDataAsWordsAndLoadsBack) {
    Hooked h;
    const std::string path = ::testing::TempDir() + "demo.cdl";
    EXPECT_EQ(h.run(make(CommandKind::CodeDataSave, 0, 0, path))->message, "Code/data log saved to " + path);
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(file.size(), 18u);
    size_t word = 0;  // the first word read as data and never executed
    while (18 + word < file.size() && file[18 + word] != CodeDataLog::Data) ++word;
    ASSERT_LT(18 + word, file.size()) << "the demo reads data from its ROM";
    const uint32_t address = static_cast<uint32_t>(word * 2);
    const auto s = h.run(make(CommandKind::ListAt, 0, 0, "", address));
    char text[16];
    std::snprintf(text, sizeof text, "dc.w $%04X", e2e::board().peekWord(address).value());
    bool listed = false;
    for (const ListingLine& line : s->listing)
        if (line.address == address) listed = line.data && line.text == text && line.length == 2;
    EXPECT_TRUE(listed) << text << " at " << address;
    EXPECT_EQ(h.run(make(CommandKind::CodeDataLoad, 0, 0, path))->message, "Code/data log loaded from " + path);
    std::remove(path.c_str());
}

// The profiler's commands in their order, each saying what it did, and a
// file that cannot be written named as such.
TEST(WorkbenchController, ProfileCommandsSayWhatTheyDidAndWhatTheyCouldNot) {
    Hooked h;
    const std::string path = ::testing::TempDir() + "workbench.profile";
    const struct {
        Command command;
        std::string message;
    } steps[] = {
        {make(CommandKind::ProfileSave, 0, 0, path), "No profile to save: Start one first"},
        {make(CommandKind::ProfileStart), "Profiling"},
        {make(CommandKind::ProfileSave, 0, 0, "/nonexistent/dir/p.out"),
         "The profile could not be written to /nonexistent/dir/p.out"},
        {make(CommandKind::ProfileStop), "Profile stopped"},
        {make(CommandKind::ProfileSave, 0, 0, path), "Profile saved to " + path},
    };
    for (const auto& step : steps) EXPECT_EQ(h.run(step.command)->message, step.message);
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.rfind("# callgrind format", 0), 0u) << first;
    std::remove(path.c_str());
}

TEST(WorkbenchController, ATraceWritesEachInstructionAndSaysWhere) {
    Hooked h;
    const std::string path = ::testing::TempDir() + "workbench_trace.txt";
    const uint32_t pc = _s68000context.pc;
    h.run(make(CommandKind::Trace, 250, 0, path), 3);
    std::ifstream file(path);
    std::string line, first;
    int lines = 0;
    while (std::getline(file, line)) {
        if (lines++ == 0) first = line;
        EXPECT_NE(line.find(" SR="), std::string::npos) << line;
    }
    EXPECT_EQ(lines, 250);
    char address[8];
    std::snprintf(address, sizeof address, "%06X", pc);
    EXPECT_EQ(first.substr(0, 6), address);
    EXPECT_EQ(h.controller.latest()->message, "Trace written to " + path);
    std::remove(path.c_str());
}

}  // namespace
