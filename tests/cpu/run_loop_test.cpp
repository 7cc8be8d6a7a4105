// The execution loop: budgets, exit codes, the odometer and what a memory
// handler sees of the slice it runs in.
#include <climits>

#include "core_fixture.h"
#include "core_state.h"

namespace {

using namespace coretest;

class RunLoop : public CoreTest {};

constexpr uint16_t NOP = 0x4E71;
constexpr uint16_t ADDQ_L_1_D0 = 0x5280;  // 8 cycles
constexpr uint16_t MOVE_W_D0_ABS_L = 0x33C0;  // MOVE.W D0,xxx.L: 16 cycles

TEST_F(RunLoop, BudgetOfOneRunsExactlyOneInstruction) {
    code().w(0x7001).w(0x7202);  // MOVEQ #1,D0; MOVEQ #2,D1
    start();
    EXPECT_EQ(s68000exec(1), S68000_EXIT_OK);
    EXPECT_EQ(D(0), 1u);
    EXPECT_EQ(D(1), 0u);
    EXPECT_EQ(ctx().pc, CODE + 2);
    EXPECT_EQ(ctx().odometer, 4u);
}

TEST_F(RunLoop, SliceEndsAtTheFirstInstructionThatReachesTheBudget) {
    Asm a = code();
    for (int i = 0; i < 20; ++i) a.w(ADDQ_L_1_D0);
    start();
    EXPECT_EQ(s68000exec(100), S68000_EXIT_OK);
    EXPECT_EQ(D(0), 13u);
    EXPECT_EQ(ctx().pc, CODE + 26);
    EXPECT_EQ(ctx().odometer, 104u);
}

TEST_F(RunLoop, BudgetOfZeroOrLessRunsOneInstruction) {
    Asm a = code();
    for (int i = 0; i < 4; ++i) a.w(ADDQ_L_1_D0);
    start();
    uint32_t expected_d0 = 0;
    for (int32_t budget : {0, -1, -100, INT_MIN}) {
        EXPECT_EQ(cycles_of(budget), 8u) << budget;
        EXPECT_EQ(D(0), ++expected_d0) << budget;
    }
}

TEST_F(RunLoop, PcInNoProgramRegionAtEntry) {
    start(0x20000);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(s68000exec(100), S68000_EXIT_NO_REGION);
        EXPECT_EQ(ctx().pc, 0x20000u);
        EXPECT_EQ(ctx().odometer, 0u);
    }
}

TEST_F(RunLoop, JumpOutOfEveryRegionEndsTheSliceAfterTheJump) {
    code().w(NOP).w(0x4EF9).l(0x30000).w(NOP);  // NOP; JMP $30000; NOP
    start();
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_OK);
    EXPECT_EQ(ctx().pc, 0x30000u);
    EXPECT_EQ(ctx().odometer, 4u + 12u);
    EXPECT_EQ(m68k::W.fetch_region_start, 0xFFFFFFFFu);
    EXPECT_EQ(m68k::W.fetch_region_end, 0u);
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION);
    EXPECT_EQ(ctx().odometer, 16u);
    EXPECT_EQ(ctx().pc, 0x30000u);
}

TEST_F(RunLoop, ExceptionVectorOutOfEveryRegionEndsTheSlice) {
    code().w(0x4E40).w(NOP);  // TRAP #0
    start();
    mem.put32(32 * 4, 0x30000);
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_OK);
    EXPECT_EQ(ctx().pc, 0x30000u);
    EXPECT_EQ(ctx().odometer, 34u);
    EXPECT_EQ(frame_pc(), CODE + 2);
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION);
    EXPECT_EQ(ctx().odometer, 34u);
}

TEST_F(RunLoop, ResetWithoutAHandlerStopsOnItsOpcode) {
    code().w(NOP).w(0x4E70).w(NOP);  // NOP; RESET
    start();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(s68000exec(1000), CODE + 2);
        EXPECT_EQ(ctx().pc, CODE + 2);
        EXPECT_EQ(ctx().odometer, 4u);
    }
}

int reset_calls;
uint32_t reset_pc;

TEST_F(RunLoop, ResetWithAHandlerCallsItOnce) {
    code().w(0x4E70).w(NOP);
    start();
    reset_calls = 0;
    ctx().resethandler = [] {
        ++reset_calls;
        reset_pc = s68000readPC();
    };
    EXPECT_EQ(cycles_of(1), 132u);
    EXPECT_EQ(reset_calls, 1);
    EXPECT_EQ(reset_pc, CODE + 2);
    EXPECT_EQ(ctx().pc, CODE + 2);
}

TEST_F(RunLoop, FaultedProcessorRunsNothing) {
    start();
    mem.put32(4, 0x1001);
    EXPECT_EQ(s68000reset(), -1);
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_FAULTED);
    EXPECT_EQ(ctx().odometer, 0u);
    EXPECT_EQ(ctx().pc, 0x1001u);
}

// A slice of 100 cycles over NOP, NOP, MOVE.W D0,port, NOPs: the port is
// written when 8 cycles are used and the slice uses 100.
class OdometerFromAHandler : public RunLoop {
protected:
    void SetUp() override {
        RunLoop::SetUp();
        Asm a = code();
        a.w(NOP).w(NOP).w(MOVE_W_D0_ABS_L).l(PORT);
        for (int i = 0; i < 30; ++i) a.w(NOP);
        start();
        ctx().odometer = 1000;
    }
    std::vector<uint32_t> seen;
};

TEST_F(OdometerFromAHandler, ReadCountsTheCyclesUsedSoFar) {
    port_action = [this] {
        seen.push_back(s68000readOdometer());
        seen.push_back(s68000controlOdometer(0));
    };
    EXPECT_EQ(s68000exec(100), S68000_EXIT_OK);
    EXPECT_EQ(seen, (std::vector<uint32_t>{1008, 1008}));
    EXPECT_EQ(ctx().odometer, 1100u);
    EXPECT_EQ(s68000readOdometer(), 1100u);
}

TEST_F(OdometerFromAHandler, TripRestartsTheCountMidSlice) {
    port_action = [this] {
        seen.push_back(s68000tripOdometer());
        seen.push_back(s68000readOdometer());
    };
    EXPECT_EQ(s68000exec(100), S68000_EXIT_OK);
    EXPECT_EQ(seen, (std::vector<uint32_t>{1008, 0}));
    EXPECT_EQ(ctx().odometer, 92u);
    EXPECT_EQ(s68000readOdometer(), 92u);
}

TEST_F(OdometerFromAHandler, ControlTripsWhenItsFlagIsSet) {
    port_action = [this] {
        seen.push_back(s68000controlOdometer(1));
        seen.push_back(s68000controlOdometer(0));
    };
    EXPECT_EQ(s68000exec(100), S68000_EXIT_OK);
    EXPECT_EQ(seen, (std::vector<uint32_t>{1008, 0}));
    EXPECT_EQ(ctx().odometer, 92u);
}

TEST_F(OdometerFromAHandler, TripBetweenSlicesReturnsTheTotalAndRestarts) {
    EXPECT_EQ(s68000readOdometer(), 1000u);
    EXPECT_EQ(s68000tripOdometer(), 1000u);
    EXPECT_EQ(ctx().odometer, 0u);
    EXPECT_EQ(s68000readOdometer(), 0u);
}

TEST_F(OdometerFromAHandler, ReleaseTimesliceEndsTheSliceAfterTheInstruction) {
    port_action = [] { s68000releaseTimeslice(); };
    EXPECT_EQ(s68000exec(100), S68000_EXIT_OK);
    EXPECT_EQ(ctx().pc, CODE + 10);
    EXPECT_EQ(ctx().odometer, 1000u + 4 + 4 + 16);
    // Outside a slice it has no effect.
    port_action = nullptr;
    s68000releaseTimeslice();
    EXPECT_EQ(cycles_of(20), 20u);
}

// The largest budgets keep exact accounting when a slice set aside for
// tracing or by a request is cancelled or released.
TEST_F(RunLoop, LargestBudgetsWithEarlyEnds) {
    code().w(NOP).w(MOVE_W_D0_ABS_L).l(PORT).w(NOP);
    start();
    mem.put32(9 * 4, 0x30000);  // trace vector into no region
    set_sr(0xA700);
    EXPECT_EQ(cycles_of(INT_MAX), 4u + 34u);
    EXPECT_EQ(ctx().pc, 0x30000u);

    ctx().pc = CODE + 2;
    ctx().sr = 0x2700;
    port_action = [] {
        s68000interrupt(3, -1);
        s68000releaseTimeslice();
    };
    EXPECT_EQ(cycles_of(INT_MAX), 16u);
    port_action = [] {
        s68000releaseTimeslice();
        s68000interrupt(3, -1);
    };
    ctx().pc = CODE + 2;
    EXPECT_EQ(cycles_of(INT_MAX), 16u);
    set_sr(0xA000);  // tracing, with the mask low enough for the request
    ctx().interrupts[0] = 0;
    ctx().pc = CODE + 2;
    EXPECT_EQ(cycles_of(INT_MAX), 16u + 34u + 44u);
}

TEST_F(RunLoop, HandlersSeeThePcPastTheWordsReadSoFar) {
    // MOVE.W $F00000,$F00010: the source is read after its address words,
    // the destination written after all of them.
    code().w(0x33F9).l(PORT).l(PORT + 0x10).w(NOP);
    start();
    std::vector<uint32_t> pcs;
    port_action = [&] { pcs.push_back(s68000readPC()); };
    EXPECT_EQ(cycles_of(1), 28u);
    EXPECT_EQ(pcs, (std::vector<uint32_t>{CODE + 6, CODE + 10}));
    EXPECT_EQ(s68000readPC(), CODE + 10);
}

}  // namespace
