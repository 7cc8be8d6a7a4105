// The disassembler's text where the outside oracles cannot see it: the columns
// of each formatter, operand values, the 68010 instructions, forms printed as
// decoded, and the line layout at the edges of the address space.
#include "debugger_test_support.h"

namespace {

struct Example {
    std::vector<uint16_t> words;  // at 0x1000, all of them consumed
    const char* text;
};

const Example kExamples[] = {
    // Effective addresses with extension words.
    {{0x4A6B, 0xFFFE}, "tst     -$0002(a3)"},
    {{0x4A76, 0xF704}, "tst     +$04(a6,a7.w)"},  // bits 10..8 of the brief extension play no part
    {{0x3030, 0x9880}, "move    -$80(a0,a1.l),d0"},
    {{0x4A78, 0x8000}, "tst     ($8000)"},
    {{0x4A79, 0x1234, 0x5678}, "tst     ($12345678)"},
    {{0x4A7A, 0xFFFE}, "tst     $001000(pc)"},
    {{0x4A7B, 0xA8FE}, "tst     $001000(pc,a2)"},
    {{0x4A3C, 0x12AB}, "tst.b   #$AB"},
    {{0x4EBC, 0x0001, 0x0002}, "jsr     #$00010002"},  // groups of immediate size 0 read two words
    {{0x4A7D}, "tst     *** UNKNOWN EA MODE ***"},
    // Line 0.
    {{0x003C, 0x0012}, "or.b    #$12,ccr"},
    {{0x027C, 0x2700}, "and     #$2700,sr"},
    {{0x063C, 0x0001}, "add.b   #$01,"},
    {{0x0290, 0x0000, 0xFFFF}, "and.l   #$0000FFFF,(a0)"},
    {{0x0C68, 0x1234, 0x0010}, "cmp     #$1234,+$0010(a0)"},
    {{0x0800, 0x0107}, "btst    #$07,d0"},
    {{0x0108, 0x0004}, "movep   +$0004(a0),d0"},
    {{0x01C8, 0xFFFC}, "movep.l d0,-$0004(a0)"},
    // Lines 1 to 3: the source's words come before the destination's.
    {{0x103C, 0x1234}, "move.b  #$34,d0"},
    {{0x23FC, 0x1234, 0x5678, 0x0001, 0x0000}, "move.l  #$12345678,($010000)"},
    {{0x3DB0, 0x1004, 0x2002}, "move    +$04(a0,d1.w),+$02(a6,d2.w)"},
    // Line 4 and the miscellaneous group.
    {{0x4298}, "clr.l   (a0)+"},
    {{0x42C0}, "move.b  ccr,d0"},
    {{0x43BC, 0x0010}, "chk     #$0010,d1"},
    {{0x4800}, "nbcd.b  d0"},
    {{0x4849}, "swap    d1"},
    {{0x4880}, "ext     d0"},
    {{0x48E7, 0xFFFE}, "movem.l a6/a5/a4/a3/a2/a1/a0/d7/d6/d5/d4/d3/d2/d1/d0,-(a7)"},
    {{0x4CDF, 0x7FFF}, "movem.l (a7)+,d0/d1/d2/d3/d4/d5/d6/d7/a0/a1/a2/a3/a4/a5/a6"},
    {{0x48FD, 0xFFFF}, "movem.l d0/d1/d2/d3/d4/d5/d6/d7/a0/a1/a2/a3/a4/a5/a6/a7,*** UNKNOWN EA MODE ***"},
    {{0x4AFC}, "illegal"},
    {{0x4E56, 0xFFF8}, "link    a6,-#$0008"},
    {{0x4E72, 0x2700}, "stop    #$2700"},
    {{0x4E74, 0xFFFC}, "rtd     -#$0004"},
    {{0x4E7A, 0x0801}, "movec   vbr,d0"},
    {{0x4E7B, 0x8000}, "movec   a0,sfc"},
    {{0x4E7B, 0x9001}, "movec   a1,dfc"},
    {{0x4E7A, 0xF800}, "movec   usp,a7"},
    {{0x4E7A, 0x0002}, "movec   ???,d0"},
    {{0x4E7C}, "unrecognized"},
    // Lines 5 to 7.
    {{0x5040}, "add     #8,d0"},
    {{0x57D0}, "seq     (a0)"},
    {{0x51C8, 0xFFFC}, "dbra    d0,($000FFE)"},
    {{0x6000, 0x0010}, "bra     ($001012)"},
    {{0x7080}, "moveq   #$80,d0"},
    // Lines 8 and C.
    {{0x8150}, "or      d0,(a0)"},
    {{0x8140}, "*** NOT RECOGNIZED ***"},
    {{0x8188}, "*** NOT RECOGNIZED ***"},
    {{0x8300}, "sbcd  d0,d1"},
    {{0xC308}, "abcd    -(a0),-(a1)"},
    {{0xC141}, "exg     d0,d1"},
    {{0xC189}, "exg     d0,a1"},
    {{0xC181}, "and.l   d0,d1"},
    // Lines 9, B and D.
    {{0xD300}, "addx.b  d0,d1"},
    {{0x9348}, "subx    -(a0),-(a1)"},
    {{0x92C8}, "sub     a0,a1"},
    {{0xD190}, "add.l   d0,(a0)"},
    {{0xB010}, "cmp.b   (a0),d0"},
    {{0xB308}, "cmp.b   (a0)+,(a1)+"},
    {{0xB340}, "eor     d1,d0"},
    // Line E.
    {{0xE200}, "asr.b   #$01,d0"},
    {{0xE348}, "lsl     #$01,d0"},
    {{0xE0B0}, "roxr.l  d0,d0"},
    {{0xE7F8, 0x1000}, "rol     ($1000)"},
};

TEST(DisassemblerExamples, TextAndLengthOfEachRow) {
    for (const Example& example : kExamples) {
        TestMachine machine;
        for (size_t i = 0; i < example.words.size(); ++i)
            machine.poke(static_cast<uint32_t>(0x1000 + 2 * i), {example.words[i]});
        listing(0x1000);
        EXPECT_EQ(std::string(sdebug), example.text) << std::hex << example.words[0];
        EXPECT_EQ(debugpc, 0x1000 + 2 * example.words.size()) << example.text;
    }
}

TEST(DisassemblerExamples, LineLayoutAtTheEdgesOfTheAddressSpace) {
    TestMachine machine;
    machine.poke(0xFFFE, {0x303C});  // its immediate word lies outside every region
    EXPECT_EQ(listing(0xFFFE, 0) + listing(0xFFFE, -3), "");
    EXPECT_EQ(listing(0xFFFE), "0000FFFE: 303C FFFF                move    #$FFFF,d0\n");
    EXPECT_EQ(listing(0xFFFFFFFE, 2),
              "FFFFFFFE: FFFF                     unrecognized\n"
              "00000000: 0000 8000                or.b    #$00,d0\n");
    EXPECT_EQ(debugpc, 4u);
}

}  // namespace
