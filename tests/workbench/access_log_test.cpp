// The access log against an independent record of the same frames: the
// demo runs them once with the log listening, then again from the same state
// one s68000step at a time with nothing listening. The opcodes logged are
// exactly the instructions stepped, the extension words of every instruction
// that does not jump are logged as operands, the executed highlights of the
// last frame are exactly its opcodes' bytes, and each interrupt event is the
// step that took it, at its cycle. And the code/data log's file and its
// bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "access_log.h"
#include "board_session.h"
#include "memory_map.h"
#include "run_control.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace {

using namespace workbench;

// A client that lets the log hear of each slice as the run control starts it.
struct SliceEars : RunClient {
    AccessLog* log = nullptr;
    void sliceStarts() override { log->sliceStarts(); }
};

SliceEars gEars;
RunControl gControl;
AccessLog* gLog = nullptr;
uint64_t gFrame = 0;

// What the stepped run saw.
struct Stepped {
    std::set<uint32_t> opcodes, operands, lastFrameOpcodes;
    std::vector<std::pair<uint32_t, uint32_t>> interrupts;  // (cycle in the frame, handler)
    uint32_t frameStart = 0;
    bool lastFrame = false;
} gStepped;

bool jumps(uint16_t op) {
    return (op >> 12) == 6 || (op & 0xFF00) == 0x4E00 || (op & 0xF0F8) == 0x50C8 || (op & 0xFF80) == 0x4E80;
}

uint32_t stepSlice(int32_t cycles) {
    s68000context& c = _s68000context;
    const uint32_t start = s68000readOdometer();
    for (int32_t used = 0; used < cycles; used = static_cast<int32_t>(s68000readOdometer() - start)) {
        const uint32_t pc = c.pc & 0xFFFFFF, before = s68000readOdometer();
        S68000StepHit hit;
        const S68000Step step = s68000step(hit);
        if (step == S68000Step::Idle) return s68000exec(cycles - used);
        if (step == S68000Step::Stuck) return S68000_EXIT_NO_REGION;
        if (step == S68000Step::Interrupt) {
            gStepped.interrupts.emplace_back(before - gStepped.frameStart, c.pc & 0xFFFFFF);
            continue;
        }
        if (!address_map::kProgramRom.holds(pc)) continue;
        gStepped.opcodes.insert(pc);
        if (gStepped.lastFrame) gStepped.lastFrameOpcodes.insert(pc);
        const uint32_t next = c.pc & 0xFFFFFF;
        if (!jumps(static_cast<uint16_t>(s68000fetch(pc))) && next > pc && next <= pc + 10)
            for (uint32_t at = pc + 2; at < next; at += 2) gStepped.operands.insert(at);
    }
    return S68000_EXIT_OK;
}

class AccessLogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(e2e::startBoard(DEMO_ROM_BASE));
        e2e::powerOn(false);
        for (int i = 0; i < 90; ++i) e2e::runFrame();
    }
    void TearDown() override { e2e::board().setDebugger(nullptr, nullptr); }
};

TEST_F(AccessLogTest, LogsWhatASteppedRunOfTheSameFramesExecutes) {
    constexpr int kFrames = 6;
    Machine& m = e2e::board();
    BoardState start{};
    m.capture(start);

    std::map<uint32_t, uint8_t> flags;
    std::set<uint32_t> lastFrameExecuted;
    std::vector<std::pair<uint32_t, uint32_t>> logged;  // interrupts: (cycle, handler)
    std::vector<uint32_t> slices;
    {
        AccessLog log(m, static_cast<uint32_t>(m.memory(Memory::ProgramRom).size()));
        gLog = &log;
        gEars.log = &log;
        gControl.attach(gEars);
        gFrame = 0;
        m.setDebugger([] { gLog->frameBoundary(++gFrame); }, [](int32_t c) { return gControl.runSlice(c); });
        for (int i = 0; i < kFrames; ++i) e2e::runFrame();
        m.setDebugger(nullptr, nullptr);
        gLog->frameBoundary(++gFrame);  // closes the last frame and ages its highlights
        gControl.detach(gEars);
        for (uint32_t a = 0; a < log.codeData().romBytes(); a += 2)
            if (log.codeData().flags(a)) flags[a] = log.codeData().flags(a);
        const std::shared_ptr<const AccessAges> ages = log.ages();
        for (uint32_t a = 0; a <= address_map::kProgramRom.high; ++a)
            if (ages->at(a, AccessKind::Execute) & 2) lastFrameExecuted.insert(a);
        ASSERT_EQ(log.frames().size(), static_cast<size_t>(kFrames));
        for (size_t f = 0; f < log.frames().size(); ++f) {
            for (const FrameEvent& e : log.frames()[f]->events) {
                if (e.kind == EventKind::Interrupt) logged.emplace_back(e.cycle, e.address);
                if (e.kind == EventKind::Slice && f == log.frames().size() - 1) slices.push_back(e.cycle);
                EXPECT_LT(e.cycle, log.frames()[f]->length) << "an event within its frame";
            }
        }
    }
    EXPECT_EQ(s68000accessHook(), nullptr) << "the log stops listening when it goes";
    BoardState logged_end{};
    m.capture(logged_end);

    m.restore(start);
    gStepped = {};
    m.setDebugger(
        [] {
            gStepped.frameStart = s68000readOdometer();
            gStepped.lastFrame = ++gFrame == kFrames;
        },
        stepSlice);
    gFrame = 0;
    for (int i = 0; i < kFrames; ++i) e2e::runFrame();
    BoardState stepped_end{};
    m.capture(stepped_end);
    ASSERT_TRUE(std::memcmp(&logged_end, &stepped_end, sizeof logged_end) == 0) << "both runs ran the same frames";

    std::set<uint32_t> opcodes, operands, data;
    for (const auto& [a, f] : flags) {
        if (f & CodeDataLog::Opcode) opcodes.insert(a);
        if (f & CodeDataLog::Operand) operands.insert(a);
        if (f & CodeDataLog::Data) data.insert(a);
    }
    EXPECT_EQ(opcodes, gStepped.opcodes);
    EXPECT_TRUE(std::includes(operands.begin(), operands.end(), gStepped.operands.begin(), gStepped.operands.end()));
    EXPECT_FALSE(data.empty()) << "the demo reads tables from its ROM";
    std::set<uint32_t> lastFrameBytes;
    for (uint32_t pc : gStepped.lastFrameOpcodes) lastFrameBytes.insert({pc, pc + 1});
    EXPECT_EQ(lastFrameExecuted, lastFrameBytes);
    EXPECT_EQ(logged, gStepped.interrupts);
    EXPECT_EQ(slices.size(), 3u) << "the frame's three slices";
}

TEST(CodeDataLog, FileRoundTripsAndBadFilesAreRefusedUnchanged) {
    CodeDataLog log(16);
    log.executed(0);
    log.executed(14);  // the last word
    log.executed(16);  // past the end: nothing
    log.read(15, 2);   // the last byte and the one past the end: the word at 14
    log.read(13, 1);
    log.markOperands([](uint32_t address) { return address == 0 ? 6u : 4u; });  // 14 + 4 runs past the end
    EXPECT_EQ(log.flags(0), CodeDataLog::Opcode);
    EXPECT_EQ(log.flags(2), CodeDataLog::Operand);
    EXPECT_EQ(log.flags(4), CodeDataLog::Operand);
    EXPECT_EQ(log.flags(6), 0);
    EXPECT_TRUE(log.isData(12));
    EXPECT_EQ(log.flags(14), CodeDataLog::Opcode | CodeDataLog::Data);
    EXPECT_EQ(log.flags(16), 0);
    EXPECT_EQ(log.counts(), (std::vector<uint32_t>{2, 2, 2}));

    const std::string file = log.file(0x1122334455667788u);
    EXPECT_EQ(file.size(), 18u + 8u);
    CodeDataLog loaded(16);
    EXPECT_EQ(loaded.load(file, 0x1122334455667788u), std::nullopt);
    for (uint32_t a = 0; a < 16; a += 2) EXPECT_EQ(loaded.flags(a), log.flags(a)) << a;

    std::string badFlag = file;
    badFlag.back() = 8;
    const struct {
        const char* name;
        std::string file;
        uint64_t hash;
        const char* reason;
    } refused[] = {
        {"empty", "", 0x1122334455667788u, "This is not a code/data log"},
        {"other magic", "XXXXX1" + file.substr(6), 0x1122334455667788u, "This is not a code/data log"},
        {"other set", file, 1, "This code/data log is of another ROM set"},
        {"cut short", file.substr(0, file.size() - 1), 0x1122334455667788u, "This code/data log is damaged"},
        {"one byte more", file + '\0', 0x1122334455667788u, "This code/data log is damaged"},
        {"unknown flag", badFlag, 0x1122334455667788u, "This code/data log is damaged"},
    };
    for (const auto& r : refused) {
        CodeDataLog target(16);
        target.executed(8);
        EXPECT_EQ(target.load(r.file, r.hash), std::optional<std::string>(r.reason)) << r.name;
        EXPECT_EQ(target.counts(), (std::vector<uint32_t>{1, 0, 0})) << r.name << ": unchanged";
    }
}

}  // namespace
