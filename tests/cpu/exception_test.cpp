// Exception processing: the frame, the vectors, trace, privilege violations
// and the switch between the user and supervisor sets of stacks and lists.
#include "core_fixture.h"

namespace {

using namespace coretest;

constexpr uint16_t NOP = 0x4E71;
constexpr uint16_t RTE = 0x4E73;

class Exceptions : public CoreTest {};

TEST_F(Exceptions, TrapPushesTheNextAddressAndVectorsThroughItsSlot) {
    code().w(0x4E43);  // TRAP #3
    start();
    mem.put32(0x8C, 0x5000);
    set_sr(0x2015);
    EXPECT_EQ(cycles_of(1), 34u);
    EXPECT_EQ(ctx().pc, 0x5000u);
    EXPECT_EQ(A(7), RESET_SSP - 6);
    EXPECT_EQ(frame_pc(), CODE + 2);
    EXPECT_EQ(frame_sr(), 0x2015);
    EXPECT_EQ(ctx().sr, 0x2015);
}

TEST_F(Exceptions, IllegalAndEmulatorOpcodesPushTheirOwnAddress) {
    start();
    for (auto [opcode, vector] : {std::pair<uint16_t, unsigned>{0x4AFC, 4}, {0xA123, 10}, {0xFABC, 11}}) {
        SCOPED_TRACE(opcode);
        code().w(NOP).w(opcode);
        mem.put32(4 * vector, 0x5000 + vector);
        ctx().pc = CODE;
        ctx().areg[7] = RESET_SSP;
        EXPECT_EQ(cycles_of(1), 4u);
        EXPECT_EQ(cycles_of(1), 34u);
        EXPECT_EQ(ctx().pc, 0x5000u + vector);
        EXPECT_EQ(frame_pc(), CODE + 2);
    }
}

TEST_F(Exceptions, PrivilegedInstructionsInUserModePushTheirOwnAddress) {
    const std::vector<std::vector<uint16_t>> privileged = {
        {0x46FC, 0x2700},  // MOVE #$2700,SR
        {0x027C, 0xFFFF},  // ANDI #$FFFF,SR
        {0x007C, 0x0000},  // ORI #0,SR
        {0x0A7C, 0x0000},  // EORI #0,SR
        {0x4E72, 0x2000},  // STOP #$2000
        {0x4E73},          // RTE
        {0x4E70},          // RESET
        {0x4E60},          // MOVE A0,USP
        {0x4E6F},          // MOVE USP,A7
    };
    start();
    for (const auto& words : privileged) {
        SCOPED_TRACE(words[0]);
        Asm a = code();
        for (uint16_t w : words) a.w(w);
        ctx().pc = CODE;
        ctx().sr = 0x2700;
        ctx().areg[7] = RESET_SSP;
        ctx().asp = 0x9000;
        set_sr(0x0000);
        ASSERT_EQ(A(7), 0x9000u);
        EXPECT_EQ(cycles_of(1), 34u);
        EXPECT_EQ(ctx().pc, vector_target(8));
        EXPECT_EQ(ctx().sr, 0x2000);
        EXPECT_EQ(A(7), RESET_SSP - 6);
        EXPECT_EQ(ctx().asp, 0x9000u);
        EXPECT_EQ(frame_pc(), CODE);
        EXPECT_EQ(frame_sr(), 0x0000);
    }
}

TEST_F(Exceptions, TraceAfterOneInstructionPushesTheNextAddress) {
    start();
    // A frame that RTE returns through: SR with T set, PC 0x1100.
    ctx().areg[7] = RESET_SSP - 6;
    mem.put16(RESET_SSP - 6, 0xA004);
    mem.put32(RESET_SSP - 4, CODE + 0x100);
    code().w(RTE);
    code(CODE + 0x100).w(NOP).w(NOP);
    mem.put32(9 * 4, 0x5000);
    code(0x5000).w(0x7201).w(0x60FE);  // MOVEQ #1,D1; BRA.S *

    EXPECT_EQ(cycles_of(1), 20u);  // RTE alone
    EXPECT_EQ(ctx().sr, 0xA004);
    EXPECT_EQ(ctx().pc, CODE + 0x100);
    // One NOP, the trace exception, then the rest of the budget in the trace
    // routine: MOVEQ (4) and BRA.S * (10 each).
    EXPECT_EQ(cycles_of(100), 4u + 34u + 4u + 60u);
    EXPECT_EQ(A(7), RESET_SSP - 6);
    EXPECT_EQ(frame_pc(), CODE + 0x102);
    EXPECT_EQ(frame_sr(), 0xA004);
    EXPECT_EQ(ctx().sr, 0x2000);  // T clear; MOVEQ #1 cleared Z
    EXPECT_EQ(D(1), 1u);
}

// Supervisor and user data lists map different images at the same addresses
// (and the user word list a vector table of its own), so the test shows which
// set each access goes through.
class ModeSwitch : public CoreTest {
protected:
    Image ssp_stack{0x20000, 0x20FFF};
    Image usp_stack{0x20000, 0x20FFF};
    Image user_vectors{0x000, 0x3FF};

    void build() {
        super.program(mem);
        super.data(ssp_stack);
        super.data(mem);
        user.program(mem);
        user.data(usp_stack);
        user.readword.push_back(s68000_direct(0, 0x3FF, user_vectors.host()));
        user.data(mem);
        super.finish();
        user.finish();
        install(super, user);
        mem.put32(0, 0x20F00);
        mem.put32(4, CODE);
        ASSERT_EQ(s68000reset(), 0);
    }
};

TEST_F(ModeSwitch, ExceptionInUserModeSwitchesStacksAndListsAndRteRestoresThem) {
    code()
        .w(0x3F3C).w(0x1234)   // MOVE.W #$1234,-(A7)
        .w(0x4E43)             // TRAP #3
        .w(0x321F);            // MOVE.W (A7)+,D1
    mem.put32(0x8C, 0x7000);           // supervisor table
    user_vectors.put32(0x8C, 0x6000);  // the user word list's table: used
    code(0x6000).w(0x3F3C).w(0x5678).w(0x548F).w(RTE);  // MOVE.W #$5678,-(A7); ADDQ.L #2,A7; RTE
    build();
    ctx().asp = 0x20800;
    set_sr(0x0000);

    EXPECT_EQ(cycles_of(1), 12u);
    EXPECT_EQ(usp_stack.get16(0x207FE), 0x1234);
    EXPECT_EQ(ssp_stack.get16(0x207FE), 0);

    EXPECT_EQ(cycles_of(1), 34u);  // TRAP #3
    EXPECT_EQ(ctx().pc, 0x6000u);
    EXPECT_EQ(ctx().sr, 0x2000);
    EXPECT_EQ(A(7), 0x20EFAu);
    EXPECT_EQ(ctx().asp, 0x207FEu);
    EXPECT_EQ(ctx().readword, super.readword.data());
    EXPECT_EQ(ctx().writeword, super.writeword.data());
    EXPECT_EQ(ctx().fetch, super.fetch.data());
    EXPECT_EQ(ssp_stack.get16(0x20EFA), 0x0000);
    EXPECT_EQ(ssp_stack.get32(0x20EFC), CODE + 6);
    EXPECT_EQ(usp_stack.get32(0x20EFC), 0u);

    EXPECT_EQ(cycles_of(1), 12u);  // the routine pushes on the supervisor stack
    EXPECT_EQ(ssp_stack.get16(0x20EF8), 0x5678);
    EXPECT_EQ(usp_stack.get16(0x20EF8), 0);
    s68000exec(1);
    EXPECT_EQ(cycles_of(1), 20u);  // RTE to user mode
    EXPECT_EQ(ctx().pc, CODE + 6);
    EXPECT_EQ(ctx().sr, 0x0000);
    EXPECT_EQ(A(7), 0x207FEu);
    EXPECT_EQ(ctx().asp, 0x20F00u);
    EXPECT_EQ(ctx().readword, user.readword.data());
    EXPECT_EQ(ctx().writebyte, user.writebyte.data());

    s68000exec(1);  // MOVE.W (A7)+,D1 through the user lists
    EXPECT_EQ(D(1), 0x1234u);
    EXPECT_EQ(A(7), 0x20800u);
}

TEST_F(ModeSwitch, SrWritesSwitchModesAndListsAtOnce) {
    // MOVE #$0000,SR (to user mode), then MOVE.W D0,-(A7) on the user stack.
    code().w(0x46FC).w(0x0000).w(0x3F00);
    build();
    ctx().asp = 0x20800;
    ctx().dreg[0] = 0xBEEF;
    s68000exec(1);
    EXPECT_EQ(A(7), 0x20800u);
    EXPECT_EQ(ctx().asp, 0x20F00u);
    EXPECT_EQ(ctx().writeword, user.writeword.data());
    s68000exec(1);
    EXPECT_EQ(usp_stack.get16(0x207FE), 0xBEEF);
    EXPECT_EQ(ssp_stack.get16(0x207FE), 0);
}

}  // namespace
