// Interrupt requests: the mask, level 7, the order of pending levels, the
// checks on arguments, requests from handlers and during STOP, and the flush
// between slices.
#include <array>

#include "core_fixture.h"

namespace {

using namespace coretest;

constexpr uint16_t NOP = 0x4E71;
constexpr uint16_t RTE = 0x4E73;
constexpr uint16_t MOVE_W_D0_ABS_L = 0x33C0;  // 16 cycles

class Interrupts : public CoreTest {
protected:
    bool pending(int level) { return ctx().interrupts[0] & (1u << level); }
    unsigned mask() { return (ctx().sr >> 8) & 7; }
    std::array<uint8_t, 8> requests() {
        std::array<uint8_t, 8> r;
        std::memcpy(r.data(), ctx().interrupts, 8);
        return r;
    }
};

TEST_F(Interrupts, HighestLevelAboveTheMaskIsTakenFirst) {
    code().w(NOP).w(NOP);
    // The level 5 routine lowers the mask it returns to, to 1.
    start();
    code(vector_target(40)).w(NOP).w(0x3EBC).w(0x2100).w(RTE);  // NOP; MOVE.W #$2100,(A7); RTE
    set_sr(0x2300);
    EXPECT_EQ(s68000interrupt(2, 50), 0);
    EXPECT_EQ(s68000interrupt(5, 40), 0);

    EXPECT_EQ(cycles_of(1), 44u + 4u);  // the interrupt, then one instruction
    EXPECT_EQ(frame_pc(), CODE);
    EXPECT_EQ(frame_sr(), 0x2300);
    EXPECT_EQ(mask(), 5u);
    EXPECT_FALSE(pending(5));
    EXPECT_TRUE(pending(2));

    EXPECT_EQ(cycles_of(1), 12u);  // MOVE.W #$2100,(A7)
    // RTE restores mask 1: the level 2 request is taken right after it.
    EXPECT_EQ(cycles_of(1), 20u + 44u);
    EXPECT_EQ(ctx().pc, vector_target(50));
    EXPECT_EQ(frame_pc(), CODE);
    EXPECT_EQ(frame_sr(), 0x2100);
    EXPECT_EQ(mask(), 2u);
    EXPECT_FALSE(pending(2));
}

TEST_F(Interrupts, RequestNotAboveTheMaskWaits) {
    code().w(NOP).w(NOP);
    start();
    code(vector_target(40)).w(RTE);
    set_sr(0x2300);
    EXPECT_EQ(s68000interrupt(3, 50), 0);
    EXPECT_EQ(s68000interrupt(5, 40), 0);
    EXPECT_EQ(cycles_of(1), 44u + 20u);  // level 5, its RTE back to mask 3
    EXPECT_EQ(ctx().pc, CODE);
    EXPECT_EQ(mask(), 3u);
    EXPECT_TRUE(pending(3));
    EXPECT_EQ(cycles_of(1), 4u);
    EXPECT_TRUE(pending(3));
}

TEST_F(Interrupts, LevelSevenIsTakenWhateverTheMask) {
    code().w(NOP);
    start();
    EXPECT_EQ(mask(), 7u);
    EXPECT_EQ(s68000interrupt(7, 60), 0);
    EXPECT_EQ(cycles_of(1), 44u + 10u);  // then one BRA.S *
    EXPECT_EQ(ctx().pc, vector_target(60));
    EXPECT_EQ(frame_pc(), CODE);
    EXPECT_EQ(mask(), 7u);
}

TEST_F(Interrupts, OneRequestPerLevel) {
    start();
    EXPECT_EQ(s68000interrupt(4, 28), 0);
    EXPECT_EQ(s68000interrupt(4, 30), 1);
    EXPECT_EQ(ctx().interrupts[4], 28);
    EXPECT_TRUE(pending(4));
}

TEST_F(Interrupts, BadArgumentsChangeNothing) {
    start();
    EXPECT_EQ(s68000interrupt(2, 99), 0);
    const auto before = requests();
    for (auto [level, vector] : {std::pair{0, 30}, {8, 30}, {-1, 30}, {3, 256}, {3, -3}, {3, 1000}}) {
        EXPECT_EQ(s68000interrupt(level, vector), 2) << level << ", " << vector;
        EXPECT_EQ(requests(), before);
    }
}

TEST_F(Interrupts, AutovectorAndSpuriousVector) {
    code().w(NOP);
    start();
    EXPECT_EQ(s68000interrupt(4, -1), 0);
    EXPECT_EQ(s68000interrupt(6, -2), 0);
    EXPECT_EQ(ctx().interrupts[4], 28);
    EXPECT_EQ(ctx().interrupts[6], 24);
    set_sr(0x2000);
    s68000exec(1);
    EXPECT_EQ(ctx().pc, vector_target(24));
    set_sr(0x2000);
    s68000exec(1);
    EXPECT_EQ(ctx().pc, vector_target(28));
}

TEST_F(Interrupts, RequestFromAHandlerIsTakenAfterTheCurrentInstruction) {
    Asm a = code();
    a.w(MOVE_W_D0_ABS_L).l(PORT);
    for (int i = 0; i < 30; ++i) a.w(NOP);
    start();
    set_sr(0x2000);
    port_action = [] { EXPECT_EQ(s68000interrupt(3, 45), 0); };
    // MOVE (16), the interrupt (44), then BRA.S * (10 each) up to the budget.
    EXPECT_EQ(cycles_of(100), 100u);
    EXPECT_EQ(ctx().pc, vector_target(45));
    EXPECT_EQ(frame_pc(), CODE + 6);
    EXPECT_EQ(mask(), 3u);
}

TEST_F(Interrupts, MaskedRequestFromAHandlerLetsTheSliceGoOn) {
    Asm a = code();
    a.w(MOVE_W_D0_ABS_L).l(PORT);
    for (int i = 0; i < 30; ++i) a.w(NOP);
    start();
    port_action = [] { s68000interrupt(3, 45); };
    EXPECT_EQ(cycles_of(100), 100u);  // MOVE (16) and 21 NOPs
    EXPECT_EQ(ctx().pc, CODE + 6 + 21 * 2);
    EXPECT_TRUE(pending(3));
}

TEST_F(Interrupts, StopIdlesUntilARequest) {
    code().w(0x4E72).w(0x2000).w(NOP);  // STOP #$2000
    start();
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_OK);
    EXPECT_EQ(ctx().odometer, 1000u);
    EXPECT_EQ(ctx().pc, CODE + 4);
    EXPECT_EQ(ctx().sr, 0x2000);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(s68000exec(500), S68000_EXIT_OK);
        EXPECT_EQ(ctx().pc, CODE + 4);
    }
    EXPECT_EQ(ctx().odometer, 2000u);
    EXPECT_EQ(s68000interrupt(3, -1), 0);
    EXPECT_EQ(cycles_of(1), 44u + 10u);
    EXPECT_EQ(ctx().pc, vector_target(27));
    EXPECT_EQ(frame_pc(), CODE + 4);
}

TEST_F(Interrupts, MaskedRequestStillEndsTheStop) {
    code().w(0x4E72).w(0x2700).w(0x7001);  // STOP #$2700; MOVEQ #1,D0
    start();
    EXPECT_EQ(cycles_of(100), 100u);
    EXPECT_EQ(s68000interrupt(3, -1), 0);
    EXPECT_EQ(cycles_of(1), 4u);
    EXPECT_EQ(D(0), 1u);
    EXPECT_TRUE(pending(3));
}

TEST_F(Interrupts, RequestDuringAStoppingSliceIsTakenAtOnce) {
    // STOP lowers the mask to 2; the level 3 request a handler made before
    // is taken right after it, pushing the address after STOP.
    code().w(MOVE_W_D0_ABS_L).l(PORT).w(0x4E72).w(0x2200);
    start();
    port_action = [] { s68000interrupt(3, 40); };
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_OK);
    EXPECT_EQ(ctx().pc, vector_target(40));
    EXPECT_EQ(frame_pc(), CODE + 10);
    EXPECT_EQ(ctx().odometer, 1000u + 44u);
    EXPECT_EQ(ctx().interrupts[0] & 1, 0);
}

TEST_F(Interrupts, FlushTakesARequestBetweenSlices) {
    start();
    set_sr(0x201F);
    mem.put32(33 * 4, 0x30000);  // outside every region: not looked up now
    ctx().odometer = 7;
    EXPECT_EQ(s68000interrupt(3, 33), 0);
    s68000flushInterrupts();
    EXPECT_EQ(ctx().pc, 0x30000u);
    EXPECT_EQ(ctx().odometer, 7u + 44u);
    EXPECT_EQ(ctx().sr, 0x231F);
    EXPECT_EQ(A(7), RESET_SSP - 6);
    EXPECT_EQ(frame_pc(), CODE);
    EXPECT_EQ(frame_sr(), 0x201F);
    EXPECT_FALSE(pending(3));
    EXPECT_EQ(s68000exec(100), S68000_EXIT_NO_REGION);
}

TEST_F(Interrupts, FlushWithNothingDueChangesNothing) {
    start();
    EXPECT_EQ(s68000interrupt(3, 33), 0);
    s68000flushInterrupts();
    EXPECT_EQ(ctx().pc, CODE);
    EXPECT_EQ(ctx().odometer, 0u);
    EXPECT_EQ(A(7), RESET_SSP);
    EXPECT_TRUE(pending(3));
}

TEST_F(Interrupts, FlushDuringASliceDoesNothing) {
    Asm a = code();
    a.w(MOVE_W_D0_ABS_L).l(PORT);
    for (int i = 0; i < 30; ++i) a.w(NOP);
    start();
    set_sr(0x2000);
    port_action = [this] {
        s68000interrupt(3, 45);
        s68000flushInterrupts();
        EXPECT_TRUE(pending(3));
        EXPECT_EQ(A(7), RESET_SSP);
    };
    EXPECT_EQ(cycles_of(100), 100u);
    EXPECT_EQ(ctx().pc, vector_target(45));
    EXPECT_EQ(frame_pc(), CODE + 6);
}

// A request made by a handler while an interrupt's frame is pushed (here the
// stack lies in the port region) is looked at before the next instruction,
// as after any instruction.
TEST_F(Interrupts, RequestDuringAnInterruptEntryIsTakenBeforeTheNextInstruction) {
    code().w(MOVE_W_D0_ABS_L).l(PORT + 0x100).w(NOP);
    start();
    code(vector_target(50)).w(0x7A05).w(0x60FE);  // MOVEQ #5,D5; BRA.S *
    set_sr(0x2000);
    ctx().areg[7] = PORT + 0x80;
    port_action = [] {
        const uint32_t a = port_log.back().address;
        if (a == PORT + 0x100) s68000interrupt(5, 50);
        if (a >= PORT + 0x70 && a < PORT + 0x80) s68000interrupt(6, 60);
    };
    EXPECT_EQ(s68000exec(200), S68000_EXIT_OK);
    EXPECT_EQ(D(5), 0u);
    EXPECT_EQ(ctx().pc, vector_target(60));
    EXPECT_EQ(mask(), 6u);
    EXPECT_EQ(ctx().odometer, 16u + 44 + 44 + 10 * 10);
}

// An interrupt whose vector leads out of every region ends the slice with
// 0x80000001; the cycles set aside for the request (or for tracing) are not
// counted as used.
TEST_F(Interrupts, RequestIntoNoRegionCountsOnlyTheCyclesUsed) {
    code().w(MOVE_W_D0_ABS_L).l(PORT).w(NOP);
    start();
    set_sr(0x2000);
    mem.put32(33 * 4, 0x30000);
    port_action = [] { s68000interrupt(3, 33); };
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION);
    EXPECT_EQ(ctx().pc, 0x30000u);
    EXPECT_EQ(ctx().odometer, 16u + 44u);
    EXPECT_EQ(s68000readOdometer(), 16u + 44u);
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION);
    EXPECT_EQ(s68000readOdometer(), 16u + 44u);
}

TEST_F(Interrupts, RequestIntoNoRegionWhileTracingCountsOnlyTheCyclesUsed) {
    code().w(MOVE_W_D0_ABS_L).l(PORT).w(NOP);
    start();
    set_sr(0xA000);
    code(vector_target(9)).w(RTE);
    mem.put32(33 * 4, 0x30000);
    port_action = [] { s68000interrupt(3, 33); };
    // MOVE, the trace exception, then the interrupt.
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION);
    EXPECT_EQ(ctx().odometer, 16u + 34u + 44u);
    EXPECT_EQ(s68000readOdometer(), 16u + 34u + 44u);
}

// A processor whose reset failed stays faulted: requests are queued but
// neither a slice nor a flush takes them.
TEST_F(Interrupts, FaultedProcessorTakesNoRequest) {
    start();
    mem.put32(4, CODE + 1);
    ASSERT_EQ(s68000reset(), -1);
    EXPECT_EQ(s68000interrupt(7, -1), 0);
    EXPECT_EQ(s68000exec(100), S68000_EXIT_FAULTED);
    s68000flushInterrupts();
    EXPECT_EQ(ctx().pc, CODE + 1);
    EXPECT_EQ(ctx().odometer, 0u);
    EXPECT_EQ(s68000exec(100), S68000_EXIT_FAULTED);
}

}  // namespace
