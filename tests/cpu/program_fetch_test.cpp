// Instruction words: instructions that run past the end of their program
// region, sequential flow and relative branches from one region into another
// or into none, odd program counters. No fetch ever reads outside an image.
#include "core_fixture.h"

namespace {

using namespace coretest;

constexpr uint16_t NOP = 0x4E71;
constexpr uint16_t MOVE_L_IMM_D0 = 0x203C;
constexpr uint16_t BRA_SELF = 0x60FE;
constexpr uint32_t P = 0x40000;  // the program regions of these tests lie here

class ProgramFetch : public CoreTest {
protected:
    // The standard machine with program regions of their own ahead of it.
    void build(uint32_t pc, std::initializer_list<Image*> regions) {
        start(pc, [&](Lists& l) {
            for (Image* m : regions) l.program(*m);
        });
    }
};

TEST_F(ProgramFetch, WordsPastTheEndOfATinyRegionComeFromTheNextOne) {
    Image head(P, P + 5);
    Image tail(P + 6, P + 0xFF);
    Asm(head, P + 2).w(MOVE_L_IMM_D0).w(0x1122);
    Asm(tail, P + 6).w(0x3344).w(0x7207);  // ...; MOVEQ #7,D1
    build(P + 2, {&head, &tail});
    EXPECT_EQ(cycles_of(1), 12u);
    EXPECT_EQ(D(0), 0x11223344u);
    EXPECT_EQ(ctx().pc, P + 8);
    s68000exec(1);
    EXPECT_EQ(D(1), 7u);
}

TEST_F(ProgramFetch, WordsPastTheEndOfALargeRegionComeFromTheNextOne) {
    Image head(P, P + 0xFF);
    Image tail(P + 0x100, P + 0x1FF);
    Asm(head, P + 0xFC).w(MOVE_L_IMM_D0).w(0x1122);
    Asm(tail, P + 0x100).w(0x3344).w(0x7207);
    build(P + 0xF8, {&head, &tail});
    Asm(head, P + 0xF8).w(NOP).w(NOP);
    EXPECT_EQ(cycles_of(4 + 4 + 12 + 4), 24u);
    EXPECT_EQ(D(0), 0x11223344u);
    EXPECT_EQ(D(1), 7u);
    EXPECT_EQ(ctx().pc, P + 0x104);
}

TEST_F(ProgramFetch, WordsPastTheEndOfEveryRegionReadAllOnes) {
    Image head(P, P + 5);
    Asm(head, P + 2).w(MOVE_L_IMM_D0).w(0x1122);
    build(P + 2, {&head});
    EXPECT_EQ(s68000exec(1), S68000_EXIT_OK);
    EXPECT_EQ(D(0), 0x1122FFFFu);
    EXPECT_EQ(ctx().pc, P + 8);
    EXPECT_EQ(s68000exec(1), S68000_EXIT_NO_REGION);
}

// Near its region's end an instruction reads the same image as anywhere else
// in the region, even where the current list would answer otherwise.
TEST_F(ProgramFetch, WordsNearTheEndComeFromTheCachedRegionNotAnOverlappingOne) {
    Image whole(P, P + 0xFF);
    Image overlap(P + 0xF8, P + 0xFF);  // ahead in the list, but not holding the PC
    Asm(whole, P + 0xF0).w(NOP).w(NOP).w(NOP).w(NOP).w(MOVE_L_IMM_D0).w(0x1122).w(0x3344);
    Asm(overlap, P + 0xF8).w(MOVE_L_IMM_D0).w(0x5555).w(0x6666);
    build(P + 0xF0, {&overlap, &whole});
    EXPECT_EQ(cycles_of(4 * 4 + 12), 28u);
    EXPECT_EQ(D(0), 0x11223344u);
    EXPECT_EQ(ctx().pc, P + 0xFE);
}

TEST_F(ProgramFetch, WordsNearTheEndComeFromTheCachedRegionAfterASwitchToUserMode) {
    // MOVE #0,SR switches to the user lists, which lack the region; the code
    // goes on in the cached region up to its last bytes.
    Image code_region(P, P + 0xFF);
    Asm(code_region, P + 0xF0).w(0x46FC).w(0x0000).w(NOP).w(0x7201).w(MOVE_L_IMM_D0).w(0x1122).w(0x3344);
    start(P + 0xF0, [&](Lists& l) { l.program(code_region); });
    Lists user_lists;
    user_lists.program(mem);
    user_lists.data(mem);
    user_lists.finish();
    ctx().u_fetch = user_lists.fetch.data();
    EXPECT_EQ(cycles_of(16 + 4 + 4 + 12), 36u);
    EXPECT_EQ(ctx().sr & 0x2000, 0);
    EXPECT_EQ(D(1), 1u);
    EXPECT_EQ(D(0), 0x11223344u);
    EXPECT_EQ(ctx().pc, P + 0xFE);
    // The slice ended in user mode: the next one looks the PC up in the user
    // lists, which do not hold it.
    EXPECT_EQ(s68000exec(1), S68000_EXIT_NO_REGION);
}

TEST_F(ProgramFetch, SequentialFlowCrossesIntoTheNextRegion) {
    Image head(P, P + 0xF);
    Image tail(P + 0x10, P + 0xFF);
    Asm a(head, P);
    for (int i = 0; i < 8; ++i) a.w(NOP);
    Asm(tail, P + 0x10).w(0x7007).w(BRA_SELF);  // MOVEQ #7,D0
    build(P, {&head, &tail});
    EXPECT_EQ(cycles_of(8 * 4 + 4 + 10), 46u);
    EXPECT_EQ(D(0), 7u);
    EXPECT_EQ(ctx().pc, P + 0x12);
}

TEST_F(ProgramFetch, SequentialFlowIntoNoRegionLeavesTheSlice) {
    Image head(P, P + 0xF);
    Asm a(head, P);
    for (int i = 0; i < 8; ++i) a.w(NOP);
    build(P, {&head});
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION);
    EXPECT_EQ(ctx().pc, P + 0x10);
    EXPECT_EQ(ctx().odometer, 32u);
}

// A relative branch out of the cached region continues in the image of the
// region that holds its target, not past the end of the old one.
TEST_F(ProgramFetch, RelativeBranchesIntoAnotherRegion) {
    Image here(P, P + 0xFF);
    Image there(P + 0x8000, P + 0x80FF);
    Asm(here, P).w(0x6000).w(0x7FFE);                           // BRA.W P+0x8000
    Asm(here, P + 0x10).w(0x6100).w(0x7FEE);                    // BSR.W P+0x8000
    Asm(there, P + 0x8000).w(0x5280).w(0x4E75);                 // ADDQ.L #1,D0; RTS
    build(P, {&here, &there});
    EXPECT_EQ(cycles_of(10 + 8), 18u);
    EXPECT_EQ(D(0), 1u);
    ctx().pc = P + 0x10;
    EXPECT_EQ(cycles_of(18 + 8 + 16), 42u);
    EXPECT_EQ(D(0), 2u);
    EXPECT_EQ(ctx().pc, P + 0x14);
}

TEST_F(ProgramFetch, RelativeBranchIntoNoRegionLeavesTheSlice) {
    Image here(P, P + 0xFF);
    Asm(here, P).w(0x7001).w(0x6000).w(0x3FFC);  // MOVEQ #1,D0; BRA.W P+0x4000
    build(P, {&here});
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION);
    EXPECT_EQ(ctx().pc, P + 0x4000);
    EXPECT_EQ(ctx().odometer, 14u);
    EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION);
    EXPECT_EQ(ctx().odometer, 14u);
}

TEST_F(ProgramFetch, BranchByMinusOneLeavesAnOddPc) {
    Image here(P, P + 3);
    Asm(here, P + 2).w(0x60FF);  // BRA.S -1: to P+3, the region's last byte
    build(P + 2, {&here});
    EXPECT_EQ(cycles_of(1), 10u);
    EXPECT_EQ(ctx().pc, P + 3);
    // The word at P+3 is the image's last byte and a byte of no region: it
    // runs without any read outside the image.
    for (int i = 0; i < 4; ++i) s68000exec(1);
}

TEST_F(ProgramFetch, RegionsTooSmallForAnInstruction) {
    Image two(P, P + 1);
    Image one(P + 2, P + 2);
    Asm(two, P).w(NOP);
    one.host()[0] = 0x71;  // low byte of NOP; the high byte lies in no region
    build(P, {&two, &one});
    EXPECT_EQ(cycles_of(1), 4u);
    EXPECT_EQ(ctx().pc, P + 2);
    s68000exec(1);  // the word 0xFF71 (line 1111)
    EXPECT_EQ(ctx().pc, vector_target(11));
    EXPECT_EQ(frame_pc(), P + 2);
}

TEST_F(ProgramFetch, JumpsAndExceptionsIntoARegionsLastWords) {
    Image here(P, P + 0x9);
    Asm(here, P + 8).w(0x4E40);  // TRAP #0 in the last word
    build(P + 8, {&here});
    mem.put32(32 * 4, P + 8);  // TRAP #0 vectors to itself
    EXPECT_EQ(cycles_of(1), 34u);
    EXPECT_EQ(ctx().pc, P + 8);
    EXPECT_EQ(cycles_of(100), 102u);
    EXPECT_EQ(ctx().pc, P + 8);
    code().w(0x4EF9).l(P + 8);  // JMP P+8
    ctx().pc = CODE;
    EXPECT_EQ(cycles_of(12 + 34), 46u);
    EXPECT_EQ(ctx().pc, P + 8);
}

}  // namespace
