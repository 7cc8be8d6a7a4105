// The disassembler's documented example lines, byte for byte.
#include <gtest/gtest.h>

#include "debugger_test_support.h"

namespace {

TEST(DisassemblerLine, RtsFillsTheHexColumnWithBlanks) {
    TestMachine machine;
    machine.poke(0x1000, {0x4E75});
    EXPECT_EQ(listing(0x1000), "00001000: 4E75 " + std::string(20, ' ') + "rts\n");
    EXPECT_EQ(debugpc, 0x1002u);
}

TEST(DisassemblerLine, TwoWordBranchLeavesThreeBlankSlots) {
    TestMachine machine;
    machine.poke(0x1000, {0x6000, 0x0010});
    EXPECT_EQ(listing(0x1000), "00001000: 6000 0010 " + std::string(15, ' ') + "bra     ($001012)\n");
    EXPECT_EQ(debugpc, 0x1004u);
}

TEST(DisassemblerLine, FiveWordInstructionFillsTheHexColumn) {
    TestMachine machine;
    machine.poke(0x1000, {0x23FC, 0x1234, 0x5678, 0x0001, 0x0000});
    EXPECT_EQ(listing(0x1000), "00001000: 23FC 1234 5678 0001 0000 move.l  #$12345678,($010000)\n");
}

TEST(DisassemblerLine, CountListsConsecutiveInstructionsAndZeroListsNothing) {
    TestMachine machine;
    machine.poke(0x1000, {0x4E71, 0x7001, 0x4E75});
    EXPECT_EQ(listing(0x1000, 3),
              "00001000: 4E71                     nop\n"
              "00001002: 7001                     moveq   #$01,d0\n"
              "00001004: 4E75                     rts\n");
    EXPECT_EQ(debugpc, 0x1006u);
    EXPECT_EQ(listing(0x1000, 0), "");
    EXPECT_EQ(debugpc, 0x1000u);
    EXPECT_EQ(listing(0x1000, -3), "");
}

TEST(DisassemblerLine, UnmappedMemoryListsOneWordOfFFFFPerLine) {
    TestMachine machine;
    EXPECT_EQ(listing(0x200000, 2),
              "00200000: FFFF                     unrecognized\n"
              "00200002: FFFF                     unrecognized\n");
    EXPECT_EQ(debugpc, 0x200004u);
}

TEST(DisassemblerLine, ExtensionWordsPastTheRegionReadAsFFFF) {
    TestMachine machine;
    machine.poke(0xFFFE, {0x303C});  // move #imm,d0 with its immediate unmapped
    EXPECT_EQ(listing(0xFFFE), "0000FFFE: 303C FFFF                move    #$FFFF,d0\n");
}

TEST(DisassemblerLine, ListingWrapsAtTheTopOfTheAddressSpace) {
    TestMachine machine;
    EXPECT_EQ(listing(0xFFFFFFFE, 2),
              "FFFFFFFE: FFFF                     unrecognized\n"
              "00000000: 0000 8000                or.b    #$00,d0\n");
}

TEST(DisassemblerExamples, Branches) {
    EXPECT_EQ(text_of({0x6000, 0x0010}), "bra     ($001012)");
    EXPECT_EQ(text_of({0x60FE}), "bra     ($001000)");
    EXPECT_EQ(text_of({0x51C8, 0xFFFC}), "dbra    d0,($000FFE)");
}

TEST(DisassemblerExamples, QuickForms) {
    EXPECT_EQ(text_of({0x7080}), "moveq   #$80,d0");
    EXPECT_EQ(text_of({0x5240}), "add     #1,d0");
    EXPECT_EQ(text_of({0x5F80}), "sub.l   #7,d0");
    EXPECT_EQ(text_of({0x5040}), "add     #8,d0");
}

TEST(DisassemblerExamples, Movem) {
    EXPECT_EQ(text_of({0x48E7, 0xFFFE}), "movem.l a6/a5/a4/a3/a2/a1/a0/d7/d6/d5/d4/d3/d2/d1/d0,-(a7)");
    EXPECT_EQ(text_of({0x4CDF, 0x7FFF}), "movem.l (a7)+,d0/d1/d2/d3/d4/d5/d6/d7/a0/a1/a2/a3/a4/a5/a6");
    EXPECT_EQ(text_of({0x4880}), "ext     d0");
}

TEST(DisassemblerExamples, IndexedSignFollowsTheDisplacementByte) {
    EXPECT_EQ(text_of({0x3030, 0x1008}), "move    +$08(a0,d1.w),d0");
    EXPECT_EQ(text_of({0x3030, 0x10F8}), "move    -$08(a0,d1.w),d0");
    EXPECT_EQ(text_of({0x3030, 0x9008}), "move    +$08(a0,a1.w),d0");
    EXPECT_EQ(text_of({0x3030, 0x9880}), "move    -$80(a0,a1.l),d0");
}

TEST(DisassemblerExamples, DisplacementSigns) {
    EXPECT_EQ(text_of({0x4A6B, 0xFFFE}), "tst     -$0002(a3)");
    EXPECT_EQ(text_of({0x4A6B, 0x0000}), "tst     +$0000(a3)");
}

TEST(DisassemblerExamples, PcRelative) {
    EXPECT_EQ(text_of({0x303A, 0x0010}), "move    $001012(pc),d0");
    EXPECT_EQ(text_of({0x303B, 0x10FE}), "move    $001000(pc,d1),d0");
}

TEST(DisassemblerExamples, ImmediateSizesFollowTheGroup) {
    EXPECT_EQ(text_of({0x103C, 0x1234}), "move.b  #$34,d0");
    EXPECT_EQ(text_of({0x203C, 0x1234, 0x5678}), "move.l  #$12345678,d0");
}

TEST(DisassemblerExamples, ImmediateToStatusRegisters) {
    EXPECT_EQ(text_of({0x003C, 0x0012}), "or.b    #$12,ccr");
    EXPECT_EQ(text_of({0x027C, 0x2700}), "and     #$2700,sr");
    EXPECT_EQ(text_of({0x063C, 0x0001}), "add.b   #$01,");
}

TEST(DisassemblerExamples, Movep) {
    EXPECT_EQ(text_of({0x0108, 0x0004}), "movep   +$0004(a0),d0");
    EXPECT_EQ(text_of({0x01C8, 0xFFFC}), "movep.l d0,-$0004(a0)");
}

TEST(DisassemblerExamples, RegisterFormsSharingGroups) {
    EXPECT_EQ(text_of({0xD300}), "addx.b  d0,d1");
    EXPECT_EQ(text_of({0xC308}), "abcd    -(a0),-(a1)");
    EXPECT_EQ(text_of({0x8300}), "sbcd  d0,d1");
    EXPECT_EQ(text_of({0xB308}), "cmp.b   (a0)+,(a1)+");
    EXPECT_EQ(text_of({0xC141}), "exg     d0,d1");
    EXPECT_EQ(text_of({0xC189}), "exg     d0,a1");
}

TEST(DisassemblerExamples, Movec) {
    EXPECT_EQ(text_of({0x4E7A, 0x0801}), "movec   vbr,d0");
    EXPECT_EQ(text_of({0x4E7B, 0x8000}), "movec   a0,sfc");
    EXPECT_EQ(text_of({0x4E7A, 0x0002}), "movec   ???,d0");
}

TEST(DisassemblerExamples, LinkTrapIllegal) {
    EXPECT_EQ(text_of({0x4E56, 0xFFF8}), "link    a6,-#$0008");
    EXPECT_EQ(text_of({0x4E4F}), "trap    #15");
    EXPECT_EQ(text_of({0x4AFC}), "illegal");
}

TEST(DisassemblerExamples, Unrecognized) {
    EXPECT_EQ(text_of({0x4E00}), "unrecognized");
    EXPECT_EQ(text_of({0xA000}), "unrecognized");
    EXPECT_EQ(text_of({0xF000}), "unrecognized");
    EXPECT_EQ(text_of({0x7100}), "unrecognized");
    EXPECT_EQ(text_of({0x8140}), "*** NOT RECOGNIZED ***");
}

TEST(DisassemblerExamples, UnknownEaModeReadsNoWord) {
    TestMachine machine;
    machine.poke(0x1000, {0x4A7D, 0x4E75});
    EXPECT_EQ(listing(0x1000, 2),
              "00001000: 4A7D                     tst     *** UNKNOWN EA MODE ***\n"
              "00001002: 4E75                     rts\n");
}

TEST(DisassemblerExamples, ShiftColumns) {
    EXPECT_EQ(text_of({0xE200}), "asr.b   #$01,d0");
    EXPECT_EQ(text_of({0xE348}), "lsl     #$01,d0");
}

}  // namespace
