// Instruction particulars of this core that the outside suite leaves open or
// does not reach: decoding particulars, index words, counts of 32 and more in
// shifts, the DIVS overflow of 0x80000000 / -1, MOVEM of A7 to -(A7), DBT.
#include "core_fixture.h"

namespace {

using namespace coretest;

class Instructions : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        start();
    }
    // Runs the instruction made of `words` at CODE; returns its cycles.
    uint32_t run(std::initializer_list<uint16_t> words) {
        Asm a = code();
        for (uint16_t w : words) a.w(w);
        ctx().pc = CODE;
        return cycles_of(1);
    }
    void set(int d, uint32_t v) { ctx().dreg[d] = v; }
    void set_a(int a, uint32_t v) { ctx().areg[a] = v; }
    uint8_t ccr() { return ctx().sr & 0x1F; }
    static constexpr uint8_t X = 16, N = 8, Z = 4, V = 2, C = 1;
};

TEST_F(Instructions, MoveByteFromAnAddressRegisterCopiesItsLowByte) {
    set_a(0, 0x12345680);
    set(0, 0xFFFFFFFF);
    EXPECT_EQ(run({0x1008}), 4u);  // MOVE.B A0,D0
    EXPECT_EQ(D(0), 0xFFFFFF80u);
    EXPECT_EQ(ccr(), N);
}

TEST_F(Instructions, ByteIncrementOfTheStackPointerIsTwo) {
    set_a(7, 0x7000);
    set_a(6, 0x7000);
    run({0x101F});  // MOVE.B (A7)+,D0
    EXPECT_EQ(A(7), 0x7002u);
    run({0x101E});  // MOVE.B (A6)+,D0
    EXPECT_EQ(A(6), 0x7001u);
    run({0x1F00});  // MOVE.B D0,-(A7)
    EXPECT_EQ(A(7), 0x7000u);
}

TEST_F(Instructions, PcRelativeLeaAndWordBranch) {
    EXPECT_EQ(run({0x41FA, 0x0010}), 8u);  // LEA $10(PC),A0
    EXPECT_EQ(A(0), CODE + 2 + 0x10);
    EXPECT_EQ(run({0x6000, 0x0006}), 10u);  // BRA.W *+8
    EXPECT_EQ(ctx().pc, CODE + 2 + 6);
    EXPECT_EQ(run({0x60FF}), 10u);  // BRA.S -1: no 32-bit displacement on this processor
    EXPECT_EQ(ctx().pc, CODE + 1);
}

TEST_F(Instructions, ChkAtItsWordEncoding) {
    set(0, 5);
    EXPECT_EQ(run({0x4180}), 10u);  // CHK.W D0,D0
    EXPECT_EQ(ctx().pc, CODE + 2);
    set(0, 0xFFFF);
    EXPECT_EQ(run({0x4180}), 40u);
    EXPECT_EQ(ctx().pc, vector_target(6));
    EXPECT_EQ(frame_pc(), CODE + 2);
    EXPECT_EQ(frame_sr() & N, N);
}

TEST_F(Instructions, BitTestOfAnImmediate) {
    EXPECT_EQ(run({0x083C, 0x0003, 0x0008}), 12u);  // BTST #3,#$08: 8 + 4 cycles
    EXPECT_EQ(ccr() & Z, 0);
    run({0x083C, 0x000B, 0x0008});  // BTST #11,#$08: bit 11 mod 8
    EXPECT_EQ(ccr() & Z, 0);
    run({0x083C, 0x0002, 0x0008});
    EXPECT_EQ(ccr() & Z, Z);
    EXPECT_EQ(ctx().pc, CODE + 6);
    set(1, 3);
    EXPECT_EQ(run({0x033C, 0x0008}), 10u);  // BTST D1,#$08 keeps the 68000's 10 cycles
    EXPECT_EQ(ccr() & Z, 0);
}

TEST_F(Instructions, IndexWordSizesAndIgnoredBits) {
    set_a(0, 0x1000);
    set_a(2, 0x00012345);
    run({0x43F0, 0xA800});  // LEA 0(A0,A2.L),A1
    EXPECT_EQ(A(1), 0x13345u);
    run({0x43F0, 0xA000});  // LEA 0(A0,A2.W),A1
    EXPECT_EQ(A(1), 0x3345u);
    set_a(2, 0x00018000);
    run({0x43F0, 0xA000});
    EXPECT_EQ(A(1), 0xFFFF9000u);
    run({0x43F0, 0xA7FE});  // bits 10-8 ignored, displacement -2
    EXPECT_EQ(A(1), 0xFFFF8FFEu);
}

TEST_F(Instructions, DbtNeverBranches) {
    set(0, 0x12340000);
    EXPECT_EQ(run({0x50C8, 0xFFFE}), 12u);  // DBT D0,*
    EXPECT_EQ(D(0), 0x12340000u);
    EXPECT_EQ(ctx().pc, CODE + 4);
    EXPECT_EQ(run({0x51C8, 0xFFFE}), 14u);  // DBF D0,*: the count expires
    EXPECT_EQ(D(0), 0x1234FFFFu);
    EXPECT_EQ(run({0x51C8, 0xFFFE}), 10u);
    EXPECT_EQ(ctx().pc, CODE);
}

TEST_F(Instructions, DivsOverflowOfTheMostNegativeDividend) {
    set(0, 0x80000000);
    set(1, 0xFFFF);
    ctx().sr = 0x2700 | N | Z | C;
    EXPECT_EQ(run({0x81C1}), 150u);  // DIVS.W D1,D0
    EXPECT_EQ(D(0), 0x80000000u);
    EXPECT_EQ(ccr(), V);
    set(0, static_cast<uint32_t>(-7));
    set(1, 2);
    run({0x81C1});
    EXPECT_EQ(D(0), 0xFFFFFFFDu);  // remainder -1, quotient -3
}

TEST_F(Instructions, DivuOverflowAndZeroDivide) {
    set(0, 0x00010000);
    EXPECT_EQ(run({0x80FC, 0x0001}), 137u);  // DIVU.W #1,D0
    EXPECT_EQ(D(0), 0x00010000u);
    EXPECT_EQ(ccr() & V, V);
    ctx().sr = 0x2700 | X | N;
    EXPECT_EQ(run({0x80FC, 0x0000}), 42u);  // DIVU.W #0,D0
    EXPECT_EQ(ctx().pc, vector_target(5));
    EXPECT_EQ(frame_pc(), CODE + 4);
    EXPECT_EQ(frame_sr(), 0x2700 | X | N);
}

TEST_F(Instructions, MovemPredecrementStoresTheStackPointerItStartedWith) {
    set(0, 0xD0D0D0D0);
    EXPECT_EQ(run({0x48E7, 0x8001}), 8u + 2 * 8);  // MOVEM.L D0/A7,-(A7)
    EXPECT_EQ(A(7), RESET_SSP - 8);
    EXPECT_EQ(mem.get32(RESET_SSP - 4), RESET_SSP);
    EXPECT_EQ(mem.get32(RESET_SSP - 8), 0xD0D0D0D0u);
}

TEST_F(Instructions, LongShiftsAndRotatesBy32AndMore) {
    set(1, 32);
    set(0, 0x80000001);
    ctx().sr = 0x2700;
    EXPECT_EQ(run({0xE3B8}), 8u + 64);  // ROL.L D1,D0
    EXPECT_EQ(D(0), 0x80000001u);
    EXPECT_EQ(ccr(), N | C);  // X kept clear
    set(0, 0x80000000);
    EXPECT_EQ(run({0xE2A8}), 8u + 64);  // LSR.L D1,D0
    EXPECT_EQ(D(0), 0u);
    EXPECT_EQ(ccr(), X | Z | C);
    set(1, 40);
    set(0, 0xFFFFFFFF);
    EXPECT_EQ(run({0xE2A8}), 8u + 80);
    EXPECT_EQ(D(0), 0u);
    EXPECT_EQ(ccr(), Z);
    // Counts are taken modulo 64: 65 shifts by one, 64 by none.
    set(1, 65);
    set(0, 0x4001);
    EXPECT_EQ(run({0xE368}), 6u + 2);  // LSL.W D1,D0
    EXPECT_EQ(D(0), 0x8002u);
    ctx().sr = 0x2700 | X | C;
    set(1, 64);
    EXPECT_EQ(run({0xE368}), 6u);
    EXPECT_EQ(D(0), 0x8002u);
    EXPECT_EQ(ccr(), X | N);
}

TEST_F(Instructions, ArithmeticShiftLeftSetsVWhenTheSignChanges) {
    set(0, 0x40);
    EXPECT_EQ(run({0xE500}), 6u + 4);  // ASL.B #2,D0
    EXPECT_EQ(D(0), 0u);
    EXPECT_EQ(ccr(), X | Z | V | C);
}

TEST_F(Instructions, BitNumbersWrapByOperandSize) {
    run({0x08C0, 0x0021});  // BSET #33,D0
    EXPECT_EQ(D(0), 2u);
    set_a(0, 0x7000);
    run({0x08D0, 0x0009});  // BSET #9,(A0)
    EXPECT_EQ(mem.get8(0x7000), 2);
}

}  // namespace
