// Every formatter family at least once, in every size where the text
// differs, and every effective-address mode.
#include <gtest/gtest.h>

#include <cstring>

#include "debugger_test_support.h"
#include "disasm.h"

namespace {

TEST(EffectiveAddress, RegisterAndIndirectModes) {
    EXPECT_EQ(text_of({0x4A40}), "tst     d0");
    EXPECT_EQ(text_of({0x4A47}), "tst     d7");
    EXPECT_EQ(text_of({0x4A48}), "tst     a0");
    EXPECT_EQ(text_of({0x4A52}), "tst     (a2)");
    EXPECT_EQ(text_of({0x4A5B}), "tst     (a3)+");
    EXPECT_EQ(text_of({0x4A64}), "tst     -(a4)");
}

TEST(EffectiveAddress, DisplacementModeSignAndMagnitude) {
    EXPECT_EQ(text_of({0x4A6D, 0x7FFF}), "tst     +$7FFF(a5)");
    EXPECT_EQ(text_of({0x4A6D, 0x8000}), "tst     -$8000(a5)");
    EXPECT_EQ(text_of({0x4A6D, 0xFFFF}), "tst     -$0001(a5)");
}

TEST(EffectiveAddress, IndexModeFields) {
    EXPECT_EQ(text_of({0x4A76, 0xF07F}), "tst     +$7F(a6,a7.w)");
    EXPECT_EQ(text_of({0x4A76, 0x0800}), "tst     +$00(a6,d0.l)");
    EXPECT_EQ(text_of({0x4A76, 0x7FFF}), "tst     -$01(a6,d7.l)");
    // Bits 10..8 of the brief extension word play no part.
    EXPECT_EQ(text_of({0x4A76, 0x0704}), "tst     +$04(a6,d0.w)");
}

TEST(EffectiveAddress, AbsoluteShortIsNotSignExtended) {
    EXPECT_EQ(text_of({0x4A78, 0x8000}), "tst     ($8000)");
    EXPECT_EQ(text_of({0x4A78, 0x0012}), "tst     ($0012)");
}

TEST(EffectiveAddress, AbsoluteLongGrowsPastSixDigits) {
    EXPECT_EQ(text_of({0x4A79, 0x0000, 0x0010}), "tst     ($000010)");
    EXPECT_EQ(text_of({0x4A79, 0x00FF, 0xFFFE}), "tst     ($FFFFFE)");
    EXPECT_EQ(text_of({0x4A79, 0x1234, 0x5678}), "tst     ($12345678)");
}

TEST(EffectiveAddress, PcDisplacementFromTheExtensionWord) {
    EXPECT_EQ(text_of({0x4A7A, 0xFFFE}), "tst     $001000(pc)");
    EXPECT_EQ(text_of({0x4A7A, 0x7FFE}), "tst     $009000(pc)");
    EXPECT_EQ(text_of({0x4A7A, 0x8000}), "tst     $FFFF9002(pc)");
}

TEST(EffectiveAddress, PcIndexHasNoSizeLetter) {
    EXPECT_EQ(text_of({0x4A7B, 0xA8FF}), "tst     $001001(pc,a2)");
    EXPECT_EQ(text_of({0x4A7B, 0x7010}), "tst     $001012(pc,d7)");
    EXPECT_EQ(text_of({0x4A7B, 0x0080}, 0x0040), "tst     $FFFFFFC2(pc,d0)");
}

TEST(EffectiveAddress, ImmediateWidthFollowsTheGroup) {
    EXPECT_EQ(text_of({0x4A3C, 0x12AB}), "tst.b   #$AB");
    EXPECT_EQ(text_of({0x4A7C, 0x1234}), "tst     #$1234");
    EXPECT_EQ(text_of({0x4ABC, 0x1234, 0x5678}), "tst.l   #$12345678");
    // Groups of size 0 read two words.
    EXPECT_EQ(text_of({0x4EBC, 0x0001, 0x0002}), "jsr     #$00010002");
    EXPECT_EQ(text_of({0x083C, 0x0003, 0x1234, 0x5678}), "btst    #$03,#$12345678");
}

TEST(EffectiveAddress, UnknownModesOfMode7) {
    EXPECT_EQ(text_of({0x4A7D}), "tst     *** UNKNOWN EA MODE ***");
    EXPECT_EQ(text_of({0x4A7E}), "tst     *** UNKNOWN EA MODE ***");
    EXPECT_EQ(text_of({0x4A7F}), "tst     *** UNKNOWN EA MODE ***");
}

TEST(DisassemblerFamilies, OriAndiEoriSizesAndStatusDestinations) {
    EXPECT_EQ(text_of({0x0001, 0x00AB}), "or.b    #$AB,d1");
    EXPECT_EQ(text_of({0x0041, 0x1234}), "or      #$1234,d1");
    EXPECT_EQ(text_of({0x0081, 0x1234, 0x5678}), "or.l    #$12345678,d1");
    EXPECT_EQ(text_of({0x007C, 0x2700}), "or      #$2700,sr");
    EXPECT_EQ(text_of({0x00BC, 0x1234, 0x5678}), "or.l    #$12345678,");
    EXPECT_EQ(text_of({0x023C, 0x0012}), "and.b   #$12,ccr");
    EXPECT_EQ(text_of({0x0290, 0x0000, 0xFFFF}), "and.l   #$0000FFFF,(a0)");
    EXPECT_EQ(text_of({0x02BC, 0x0000, 0x0001}), "and.l   #$00000001,");
    EXPECT_EQ(text_of({0x0A3C, 0x00FF}), "eor.b   #$FF,ccr");
    EXPECT_EQ(text_of({0x0A7C, 0x2000}), "eor     #$2000,sr");
    EXPECT_EQ(text_of({0x0ABC, 0x0000, 0x0002}), "eor.l   #$00000002,");
    EXPECT_EQ(text_of({0x0A50, 0x1234}), "eor     #$1234,(a0)");
}

TEST(DisassemblerFamilies, SubiAddiCmpiHaveNoStatusDestination) {
    EXPECT_EQ(text_of({0x043C, 0x0001}), "sub.b   #$01,");
    EXPECT_EQ(text_of({0x047C, 0x1234}), "sub     #$1234,");
    EXPECT_EQ(text_of({0x04BC, 0x0001, 0x0002}), "sub.l   #$00010002,");
    EXPECT_EQ(text_of({0x0440, 0x1234}), "sub     #$1234,d0");
    EXPECT_EQ(text_of({0x067C, 0x1234}), "add     #$1234,");
    EXPECT_EQ(text_of({0x0680, 0x0001, 0x0002}), "add.l   #$00010002,d0");
    EXPECT_EQ(text_of({0x0C3C, 0x00FF}), "cmp.b   #$FF,");
    EXPECT_EQ(text_of({0x0C68, 0x1234, 0x0010}), "cmp     #$1234,+$0010(a0)");
    EXPECT_EQ(text_of({0x0CBC, 0x0001, 0x0002}), "cmp.l   #$00010002,");
}

TEST(DisassemblerFamilies, StaticBitOperations) {
    EXPECT_EQ(text_of({0x0800, 0x0107}), "btst    #$07,d0");
    EXPECT_EQ(text_of({0x0850, 0x0007}), "bchg    #$07,(a0)");
    EXPECT_EQ(text_of({0x0890, 0x001F}), "bclr    #$1F,(a0)");
    EXPECT_EQ(text_of({0x08D8, 0x0000}), "bset    #$00,(a0)+");
}

TEST(DisassemblerFamilies, DynamicBitOperationsAndMovep) {
    EXPECT_EQ(text_of({0x0300}), "btst    d1,d0");
    EXPECT_EQ(text_of({0x0350}), "bchg    d1,(a0)");
    EXPECT_EQ(text_of({0x0390}), "bclr    d1,(a0)");
    EXPECT_EQ(text_of({0x03D0}), "bset    d1,(a0)");
    EXPECT_EQ(text_of({0x0308, 0x0004}), "movep   +$0004(a0),d1");
    EXPECT_EQ(text_of({0x0349, 0x8000}), "movep.l -$8000(a1),d1");
    EXPECT_EQ(text_of({0x0388, 0x0004}), "movep   d1,+$0004(a0)");
}

TEST(DisassemblerFamilies, MoveSizesAndWordOrder) {
    EXPECT_EQ(text_of({0x1200}), "move.b  d0,d1");
    EXPECT_EQ(text_of({0x3200}), "move    d0,d1");
    EXPECT_EQ(text_of({0x2240}), "move.l  d0,a1");
    // The source's extension word comes before the destination's.
    EXPECT_EQ(text_of({0x3DB0, 0x1004, 0x2002}), "move    +$04(a0,d1.w),+$02(a6,d2.w)");
    EXPECT_EQ(text_of({0x11F9, 0x00FF, 0xFFFE, 0x1234}), "move.b  ($FFFFFE),($1234)");
    EXPECT_EQ(text_of({0x33FC, 0xBEEF, 0x0001, 0x0000}), "move    #$BEEF,($010000)");
}

TEST(DisassemblerFamilies, SingleOperandSizes) {
    EXPECT_EQ(text_of({0x4000}), "negx.b  d0");
    EXPECT_EQ(text_of({0x4040}), "negx    d0");
    EXPECT_EQ(text_of({0x4080}), "negx.l  d0");
    EXPECT_EQ(text_of({0x4200}), "clr.b   d0");
    EXPECT_EQ(text_of({0x4250}), "clr     (a0)");
    EXPECT_EQ(text_of({0x4298}), "clr.l   (a0)+");
    EXPECT_EQ(text_of({0x4400}), "neg.b   d0");
    EXPECT_EQ(text_of({0x4440}), "neg     d0");
    EXPECT_EQ(text_of({0x4480}), "neg.l   d0");
    EXPECT_EQ(text_of({0x4600}), "not.b   d0");
    EXPECT_EQ(text_of({0x4640}), "not     d0");
    EXPECT_EQ(text_of({0x4680}), "not.l   d0");
    EXPECT_EQ(text_of({0x4800}), "nbcd.b  d0");
    EXPECT_EQ(text_of({0x4AD0}), "tas     (a0)");
}

TEST(DisassemblerFamilies, StatusRegisterMoves) {
    EXPECT_EQ(text_of({0x40C0}), "move    sr,d0");
    EXPECT_EQ(text_of({0x42C0}), "move.b  ccr,d0");
    EXPECT_EQ(text_of({0x44FC, 0x00AB}), "move.b  #$AB,ccr");
    EXPECT_EQ(text_of({0x46FC, 0x2700}), "move    #$2700,sr");
}

TEST(DisassemblerFamilies, ChkLeaPeaSwap) {
    EXPECT_EQ(text_of({0x4380}), "chk     d0,d1");
    EXPECT_EQ(text_of({0x43BC, 0x0010}), "chk     #$0010,d1");
    EXPECT_EQ(text_of({0x43F9, 0x0001, 0x0000}), "lea     ($010000),a1");
    EXPECT_EQ(text_of({0x4850}), "pea     (a0)");
    EXPECT_EQ(text_of({0x4840}), "swap    d0");
    EXPECT_EQ(text_of({0x4849}), "swap    d1");
}

TEST(DisassemblerFamilies, MovemBothDirectionsAndExt) {
    EXPECT_EQ(text_of({0x48A7, 0x8000}), "movem   d0,-(a7)");
    EXPECT_EQ(text_of({0x4890, 0x0301}), "movem   d0/a0/a1,(a0)");
    EXPECT_EQ(text_of({0x48F8, 0x0003, 0x1000}), "movem.l d0/d1,($1000)");
    EXPECT_EQ(text_of({0x48C3}), "ext.l   d3");
    EXPECT_EQ(text_of({0x4C98, 0x0003}), "movem   (a0)+,d0/d1");
    EXPECT_EQ(text_of({0x4CB8, 0x0300, 0x1234}), "movem   ($1234),a0/a1");
    EXPECT_EQ(text_of({0x4C98, 0x0000}), "movem   (a0)+,");
}

TEST(DisassemblerFamilies, LongestTextFillsSdebugExactly) {
    debug_text_overflowed = false;
    std::string text = text_of({0x48FD, 0xFFFF});
    EXPECT_EQ(text, "movem.l d0/d1/d2/d3/d4/d5/d6/d7/a0/a1/a2/a3/a4/a5/a6/a7,*** UNKNOWN EA MODE ***");
    EXPECT_EQ(text.size(), 79u);
    EXPECT_EQ(std::strlen(sdebug), 79u);
    EXPECT_FALSE(debug_text_overflowed);
}

TEST(DisassemblerFamilies, JumpsAndMiscellaneous) {
    EXPECT_EQ(text_of({0x4E90}), "jsr     (a0)");
    EXPECT_EQ(text_of({0x4EF9, 0x0000, 0x1000}), "jmp     ($001000)");
    EXPECT_EQ(text_of({0x4E40}), "trap    #0");
    EXPECT_EQ(text_of({0x4E50, 0x0010}), "link    a0,+#$0010");
    EXPECT_EQ(text_of({0x4E5E}), "unlk    a6");
    EXPECT_EQ(text_of({0x4E63}), "move.l  a3,usp");
    EXPECT_EQ(text_of({0x4E6B}), "move.l  usp,a3");
    EXPECT_EQ(text_of({0x4E70}), "reset");
    EXPECT_EQ(text_of({0x4E71}), "nop");
    EXPECT_EQ(text_of({0x4E72, 0x2700}), "stop    #$2700");
    EXPECT_EQ(text_of({0x4E73}), "rte");
    EXPECT_EQ(text_of({0x4E74, 0xFFFC}), "rtd     -#$0004");
    EXPECT_EQ(text_of({0x4E74, 0x0008}), "rtd     +#$0008");
    EXPECT_EQ(text_of({0x4E75}), "rts");
    EXPECT_EQ(text_of({0x4E76}), "trapv");
    EXPECT_EQ(text_of({0x4E77}), "rtr");
    for (uint16_t opcode : {0x4E78, 0x4E79, 0x4E7C, 0x4E7D, 0x4E7E, 0x4E7F})
        EXPECT_EQ(text_of({opcode}), "unrecognized") << std::hex << opcode;
}

TEST(DisassemblerFamilies, MovecControlRegisters) {
    EXPECT_EQ(text_of({0x4E7A, 0x1000}), "movec   sfc,d1");
    EXPECT_EQ(text_of({0x4E7B, 0x9001}), "movec   a1,dfc");
    EXPECT_EQ(text_of({0x4E7A, 0xF800}), "movec   usp,a7");
    EXPECT_EQ(text_of({0x4E7B, 0x0801}), "movec   d0,vbr");
    EXPECT_EQ(text_of({0x4E7B, 0x0FFF}), "movec   d0,???");
    EXPECT_EQ(text_of({0x4E7A, 0x0802}), "movec   ???,d0");
}

TEST(DisassemblerFamilies, QuickArithmeticSizes) {
    EXPECT_EQ(text_of({0x5200}), "add.b   #1,d0");
    EXPECT_EQ(text_of({0x5288}), "add.l   #1,a0");
    EXPECT_EQ(text_of({0x5300}), "sub.b   #1,d0");
    EXPECT_EQ(text_of({0x5340}), "sub     #1,d0");
    EXPECT_EQ(text_of({0x5180}), "sub.l   #8,d0");
}

TEST(DisassemblerFamilies, SetAndDecrementByCondition) {
    const char* set[16] = {"st ", "sf ", "shi", "sls", "scc", "scs", "sne", "seq",
                           "svc", "svs", "spl", "smi", "sge", "slt", "sgt", "sle"};
    const char* decrement[16] = {"dbt ", "dbra", "dbhi", "dbls", "dbcc", "dbcs", "dbne", "dbeq",
                                 "dbvc", "dbvs", "dbpl", "dbmi", "dbge", "dblt", "dbgt", "dble"};
    for (uint16_t condition = 0; condition < 16; ++condition) {
        uint16_t scc = 0x50D0 | (condition << 8);  // Scc (a0)
        EXPECT_EQ(text_of({scc}), std::string(set[condition]) + "     (a0)");
        uint16_t dbcc = 0x50CA | (condition << 8);  // DBcc d2
        EXPECT_EQ(text_of({dbcc, 0x0002}), std::string(decrement[condition]) + "    d2,($001004)");
    }
    EXPECT_EQ(text_of({0x5FCF, 0x8000}), "dble    d7,($FFFF9002)");
}

TEST(DisassemblerFamilies, BranchesByCondition) {
    const char* names[16] = {"bra", "bsr", "bhi", "bls", "bcc", "bcs", "bne", "beq",
                             "bvc", "bvs", "bpl", "bmi", "bge", "blt", "bgt", "ble"};
    for (uint16_t condition = 0; condition < 16; ++condition) {
        uint16_t opcode = 0x6006 | (condition << 8);
        EXPECT_EQ(text_of({opcode}), std::string(names[condition]) + "     ($001008)");
    }
    EXPECT_EQ(text_of({0x6100, 0x7FFE}), "bsr     ($009000)");
    EXPECT_EQ(text_of({0x6780}), "beq     ($000F82)");
    EXPECT_EQ(text_of({0x60FC}, 0x0000), "bra     ($FFFFFFFE)");
}

TEST(DisassemblerFamilies, Moveq) {
    EXPECT_EQ(text_of({0x72FF}), "moveq   #$FF,d1");
    EXPECT_EQ(text_of({0x7E00}), "moveq   #$00,d7");
}

TEST(DisassemblerFamilies, OrDivAndSbcd) {
    EXPECT_EQ(text_of({0x8010}), "or.b    (a0),d0");
    EXPECT_EQ(text_of({0x8050}), "or      (a0),d0");
    EXPECT_EQ(text_of({0x8090}), "or.l    (a0),d0");
    EXPECT_EQ(text_of({0x8110}), "or.b    d0,(a0)");
    EXPECT_EQ(text_of({0x8150}), "or      d0,(a0)");
    EXPECT_EQ(text_of({0x8190}), "or.l    d0,(a0)");
    EXPECT_EQ(text_of({0x8148}), "*** NOT RECOGNIZED ***");
    EXPECT_EQ(text_of({0x8180}), "*** NOT RECOGNIZED ***");
    EXPECT_EQ(text_of({0x8188}), "*** NOT RECOGNIZED ***");
    EXPECT_EQ(text_of({0x8308}), "sbcd    -(a0),-(a1)");
    EXPECT_EQ(text_of({0x82C0}), "divu    d0,d1");
    EXPECT_EQ(text_of({0x83C0}), "divs    d0,d1");
}

TEST(DisassemblerFamilies, SubAndSubx) {
    EXPECT_EQ(text_of({0x9010}), "sub.b   (a0),d0");
    EXPECT_EQ(text_of({0x9050}), "sub     (a0),d0");
    EXPECT_EQ(text_of({0x9090}), "sub.l   (a0),d0");
    EXPECT_EQ(text_of({0x9110}), "sub.b   d0,(a0)");
    EXPECT_EQ(text_of({0x9150}), "sub     d0,(a0)");
    EXPECT_EQ(text_of({0x9190}), "sub.l   d0,(a0)");
    EXPECT_EQ(text_of({0x9300}), "subx.b  d0,d1");
    EXPECT_EQ(text_of({0x9348}), "subx    -(a0),-(a1)");
    EXPECT_EQ(text_of({0x9380}), "subx.l  d0,d1");
    EXPECT_EQ(text_of({0x92C8}), "sub     a0,a1");
    EXPECT_EQ(text_of({0x93C8}), "sub.l   a0,a1");
}

TEST(DisassemblerFamilies, CmpEorCmpm) {
    EXPECT_EQ(text_of({0xB010}), "cmp.b   (a0),d0");
    EXPECT_EQ(text_of({0xB050}), "cmp     (a0),d0");
    EXPECT_EQ(text_of({0xB090}), "cmp.l   (a0),d0");
    EXPECT_EQ(text_of({0xB2C0}), "cmp     d0,a1");
    EXPECT_EQ(text_of({0xB3C0}), "cmp.l   d0,a1");
    EXPECT_EQ(text_of({0xB310}), "eor.b   d1,(a0)");
    EXPECT_EQ(text_of({0xB350}), "eor     d1,(a0)");
    EXPECT_EQ(text_of({0xB390}), "eor.l   d1,(a0)");
    EXPECT_EQ(text_of({0xB340}), "eor     d1,d0");
    EXPECT_EQ(text_of({0xB348}), "cmp     (a0)+,(a1)+");
    EXPECT_EQ(text_of({0xB388}), "cmp.l   (a0)+,(a1)+");
}

TEST(DisassemblerFamilies, AndMulAbcdExg) {
    EXPECT_EQ(text_of({0xC010}), "and.b   (a0),d0");
    EXPECT_EQ(text_of({0xC050}), "and     (a0),d0");
    EXPECT_EQ(text_of({0xC090}), "and.l   (a0),d0");
    EXPECT_EQ(text_of({0xC110}), "and.b   d0,(a0)");
    EXPECT_EQ(text_of({0xC150}), "and     d0,(a0)");
    EXPECT_EQ(text_of({0xC190}), "and.l   d0,(a0)");
    EXPECT_EQ(text_of({0xC300}), "abcd  d0,d1");
    EXPECT_EQ(text_of({0xC34A}), "exg     a1,a2");
    EXPECT_EQ(text_of({0xC181}), "and.l   d0,d1");
    EXPECT_EQ(text_of({0xC0C1}), "mulu    d1,d0");
    EXPECT_EQ(text_of({0xC1C1}), "muls    d1,d0");
}

TEST(DisassemblerFamilies, AddAddaAddx) {
    EXPECT_EQ(text_of({0xD010}), "add.b   (a0),d0");
    EXPECT_EQ(text_of({0xD050}), "add     (a0),d0");
    EXPECT_EQ(text_of({0xD090}), "add.l   (a0),d0");
    EXPECT_EQ(text_of({0xD110}), "add.b   d0,(a0)");
    EXPECT_EQ(text_of({0xD150}), "add     d0,(a0)");
    EXPECT_EQ(text_of({0xD190}), "add.l   d0,(a0)");
    EXPECT_EQ(text_of({0xD348}), "addx    -(a0),-(a1)");
    EXPECT_EQ(text_of({0xD380}), "addx.l  d0,d1");
    EXPECT_EQ(text_of({0xD0C8}), "add     a0,a0");
    EXPECT_EQ(text_of({0xD1FC, 0x1234, 0x5678}), "add.l   #$12345678,a0");
}

TEST(DisassemblerFamilies, RegisterShifts) {
    EXPECT_EQ(text_of({0xE2A1}), "asr.l   d1,d1");
    EXPECT_EQ(text_of({0xE140}), "asl     #$08,d0");
    EXPECT_EQ(text_of({0xE00A}), "lsr.b   #$08,d2");
    EXPECT_EQ(text_of({0xE0B0}), "roxr.l  d0,d0");
    EXPECT_EQ(text_of({0xE774}), "roxl    d3,d4");
    EXPECT_EQ(text_of({0xE018}), "ror.b   #$08,d0");
    EXPECT_EQ(text_of({0xE59D}), "rol.l   #$02,d5");
}

TEST(DisassemblerFamilies, MemoryShifts) {
    EXPECT_EQ(text_of({0xE0D0}), "asr     (a0)");
    EXPECT_EQ(text_of({0xE1D0}), "asl     (a0)");
    EXPECT_EQ(text_of({0xE2D0}), "lsr     (a0)");
    EXPECT_EQ(text_of({0xE3D0}), "lsl     (a0)");
    EXPECT_EQ(text_of({0xE4D0}), "roxr    (a0)");
    EXPECT_EQ(text_of({0xE5D0}), "roxl    (a0)");
    EXPECT_EQ(text_of({0xE6D0}), "ror     (a0)");
    EXPECT_EQ(text_of({0xE7F8, 0x1000}), "rol     ($1000)");
}

TEST(DisassemblerFamilies, GroupsWithoutAnInstruction) {
    for (uint16_t opcode : {0x00C0, 0x02C0, 0x04C0, 0x06C0, 0x0AC0, 0x0CC0, 0x0E00, 0x0E40, 0x0E80,
                            0x0EC0, 0x4100, 0x4140, 0x4F00, 0x4F40, 0x4C00, 0x4C40, 0x4E00, 0x7100,
                            0x7F00, 0xA000, 0xAFFF, 0xE8C0, 0xEFC0, 0xF000, 0xFFFF})
        EXPECT_EQ(text_of({opcode}), "unrecognized") << std::hex << opcode;
}

TEST(RegisterLists, ForwardAndBackward) {
    char list[48];
    getreglistf(0xFFFF, list);
    EXPECT_STREQ(list, "d0/d1/d2/d3/d4/d5/d6/d7/a0/a1/a2/a3/a4/a5/a6/a7");
    getreglistb(0xFFFF, list);
    EXPECT_STREQ(list, "a7/a6/a5/a4/a3/a2/a1/a0/d7/d6/d5/d4/d3/d2/d1/d0");
    getreglistf(0x8001, list);
    EXPECT_STREQ(list, "d0/a7");
    getreglistb(0x8001, list);
    EXPECT_STREQ(list, "a7/d0");
    std::memset(list, 'x', sizeof list);
    getreglistf(0, list);
    EXPECT_STREQ(list, "");
    getreglistb(0, list);
    EXPECT_STREQ(list, "");
}

}  // namespace
