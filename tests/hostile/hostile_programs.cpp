#include "hostile_programs.h"

#include "board.h"

namespace hostile {

namespace {

constexpr uint32_t kSsp = 0x00104000;
constexpr uint32_t kStart = 0x400;
constexpr uint32_t kCounter = 0x100000;  // a long of work RAM the handlers count in
const std::string kSuccess = "Success";

uint16_t hi(uint32_t v) { return static_cast<uint16_t>(v >> 16); }
uint16_t lo(uint32_t v) { return static_cast<uint16_t>(v); }

// Interrupt handler at `at`: addq.l #1,(kCounter).l; rte.
void countingHandler(ProgramImage& image, uint32_t at) {
    image.words(at, {0x52B9, hi(kCounter), lo(kCounter),  // addq.l #1,$100000
                     0x4E73});                             // rte
    for (int vector : {26, 27, 28}) image.vector(vector, at);
}

HostileProgram jumpTo(const std::string& name, uint32_t target) {
    ProgramImage image(kSsp, kStart);
    image.words(kStart, {0x4EF9, hi(target), lo(target)});  // jmp target
    return {name, image, kSuccess, nullptr};
}

}  // namespace

uint16_t wordAt(uint32_t address) { return static_cast<uint16_t>(s68000fetch(address)); }
uint32_t longAt(uint32_t address) { return uint32_t{wordAt(address)} << 16 | wordAt(address + 2); }

std::vector<HostileProgram> hostilePrograms() {
    std::vector<HostileProgram> programs;

    {  // Reset vector odd: the reset is a double fault and the CPU stays faulted.
        ProgramImage image(kSsp, 0x401);
        image.words(kStart, {0x60FE});  // bra.s *
        programs.push_back({"OddResetVector", image, "Failure: Double fault",
                            [] { EXPECT_EQ(s68000exec(1000), S68000_EXIT_FAULTED); }});
    }
    {  // Initial PC where nothing can be fetched.
        ProgramImage image(kSsp, 0x00F00000);
        programs.push_back({"InitialPcUnmapped", image, kSuccess, [] {
                                EXPECT_EQ(_s68000context.pc, 0x00F00000u);
                                EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION);
                            }});
    }
    {  // Initial PC on the write-only watchdog port.
        ProgramImage image(kSsp, 0x00200000);
        programs.push_back({"InitialPcOnAWriteOnlyPort", image, kSuccess,
                            [] { EXPECT_EQ(_s68000context.pc, 0x00200000u); }});
    }
    {  // Stack pointer in ROM, PC at the very end of the address space.
        ProgramImage image(0x00000000, 0x00FFFFFE);
        programs.push_back({"InitialPcAtTheTopOfTheAddressSpace", image, kSuccess, nullptr});
    }

    programs.push_back(jumpTo("JumpIntoUnmappedMemory", 0x00F00000));
    programs.back().expectAfterFrames = [] { EXPECT_EQ(_s68000context.pc, 0x00F00000u); };
    programs.push_back(jumpTo("JumpToAnOddAddress", 0x00000403));

    {  // TRAP #0 whose vector points into unmapped memory, others at odd addresses.
        ProgramImage image(kSsp, kStart);
        image.words(kStart, {0x4E40});  // trap #0
        image.vector(32, 0x00E00000);
        image.vector(4, 0x00000401);  // illegal instruction
        image.vector(11, 0x00000403);  // line 1111
        programs.push_back({"TrapThroughVectorsThatPointNowhere", image, kSuccess, nullptr});
    }
    {  // STOP with SR 0x2700 after enabling the frame interrupts: never woken.
        ProgramImage image(kSsp, kStart);
        image.words(kStart, {0x33FC, 0x0001, 0x0040, 0x0000,  // move.w #1,$400000 (enable)
                             0x4E72, 0x2700,                  // 408: stop #$2700
                             0x60FA});                        // 40C: bra.s $408
        countingHandler(image, 0x500);
        programs.push_back({"StopWithInterruptsMasked", image, kSuccess, [] {
                                // Stopped after the STOP, or on the way back to it.
                                const uint32_t pc = _s68000context.pc;
                                EXPECT_TRUE(pc == 0x408 || pc == 0x40C) << std::hex << pc;
                                EXPECT_NE(_s68000context.interrupts[0] & 0x10, 0) << "no level 4 pending";
                                EXPECT_EQ(longAt(kCounter), 0u) << "an interrupt got through the mask";
                            }});
    }
    {  // Every interrupt port written in a tight loop, byte and word, interrupts on.
        ProgramImage image(kSsp, kStart);
        image.words(kStart, {0x46FC, 0x2000,                  // 400: move.w #$2000,sr
                             0x33FC, 0x0001, 0x0040, 0x0000,  // 404: move.w #1,$400000
                             0x33FC, 0x0001, 0x0080, 0x0000,  // 40C: move.w #1,$800000
                             0x33FC, 0x0001, 0x0090, 0x0000,  // 414: move.w #1,$900000
                             0x33FC, 0x0001, 0x00A0, 0x0000,  // 41C: move.w #1,$A00000
                             0x13FC, 0x0001, 0x0080, 0x0001,  // 424: move.b #1,$800001
                             0x13FC, 0x0001, 0x0090, 0x0003,  // 42C: move.b #1,$900003
                             0x13FC, 0x0001, 0x0040, 0x0001,  // 434: move.b #1,$400001
                             0x60C6});                        // 43C: bra.s $404
        countingHandler(image, 0x500);
        programs.push_back({"InterruptPortFlood", image, kSuccess,
                            [] { EXPECT_GT(longAt(kCounter), 0u) << "no interrupt was taken"; }});
    }
    {  // Handlers that unmask interrupts and never return: they nest without end.
        ProgramImage image(kSsp, kStart);
        image.words(kStart, {0x46FC, 0x2000,                  // 400: move.w #$2000,sr
                             0x33FC, 0x0001, 0x0040, 0x0000,  // 404: move.w #1,$400000
                             0x60FE});                        // 40C: bra.s *
        image.words(0x600, {0x52B9, hi(kCounter), lo(kCounter),  // 600: addq.l #1,$100000
                            0x46FC, 0x2000,                      // 606: move.w #$2000,sr
                            0x33FC, 0x0001, 0x0080, 0x0000,      // 60A: move.w #1,$800000
                            0x60F6});                            // 612: bra.s $60A
        for (int vector : {26, 27, 28}) image.vector(vector, 0x600);
        programs.push_back({"NestedInterruptsThatNeverReturn", image, kSuccess,
                            [] { EXPECT_GT(longAt(kCounter), 1u) << "interrupts did not nest"; }});
    }
    {  // NOPs up to the last word of the ROM, then nothing.
        ProgramImage image(kSsp, kStart);
        image.fill(kStart, 0x40000, 0x4E71);
        programs.push_back({"RunOffTheEndOfRom", image, kSuccess,
                            [] { EXPECT_EQ(_s68000context.pc, 0x40000u); }});
    }
    {  // An instruction whose immediate lies beyond the end of the ROM.
        ProgramImage image(kSsp, kStart);
        image.words(kStart, {0x4EF9, 0x0003, 0xFFFE});  // jmp $3FFFE
        image.words(0x3FFFE, {0x203C});                 // move.l #<beyond the ROM>,d0
        programs.push_back({"InstructionStraddlesTheEndOfRom", image, kSuccess, [] {
                                EXPECT_EQ(_s68000context.dreg[0], 0xFFFFFFFFu);  // no region: 0xFFFF words
                                EXPECT_EQ(_s68000context.pc, 0x40004u);
                            }});
    }
    {  // 256 words of palette RAM written with changing values, then run there.
        ProgramImage image(kSsp, kStart);
        image.words(kStart, {0x41F9, 0x0060, 0x0000,  // 400: lea $600000,a0
                             0x303C, 0x4E71,          // 406: move.w #$4E71,d0
                             0x323C, 0x00FF,          // 40A: move.w #255,d1
                             0x30C0,                  // 40E: move.w d0,(a0)+
                             0x0640, 0x1357,          // 410: addi.w #$1357,d0
                             0x51C9, 0xFFF8,          // 414: dbra d1,$40E
                             0x4EF9, 0x0060, 0x0000});  // 418: jmp $600000
        programs.push_back({"CodeInPaletteRam", image, kSuccess, nullptr});
    }
    {  // The last word of palette RAM made a JMP with its address beyond the region.
        ProgramImage image(kSsp, kStart);
        image.words(kStart, {0x33FC, 0x4EF9, 0x0060, 0x01FE,  // move.w #$4EF9,$6001FE
                             0x4EF9, 0x0060, 0x01FE});        // jmp $6001FE
        programs.push_back({"JumpToTheLastWordOfPaletteRam", image, kSuccess, nullptr});
    }
    programs.push_back(jumpTo("JumpToTheLastByteOfPaletteRam", 0x006001FF));
    programs.push_back(jumpTo("JumpIntoTheInputPorts", 0x00500000));
    programs.push_back(jumpTo("JumpToTheLastInputPortWord", 0x00500004));
    programs.push_back(jumpTo("JumpToTheLastInputPortByte", 0x00500005));
    {  // Long, word and byte writes and reads across the edge of every region,
       // then a stack that descends through the whole address space.
        ProgramImage image(kSsp, kStart);
        std::vector<uint16_t> code = {0x203C, 0x5A5A, 0xA5A5};  // move.l #$5A5AA5A5,d0
        const uint32_t edges[] = {0x03FFFE, 0x03FFFF, 0x0FFFFF, 0x103FFE, 0x103FFF, 0x200000, 0x200001,
                                  0x300001, 0x3FFFFF, 0x400001, 0x500004, 0x500005, 0x5FFFFF, 0x6001FE,
                                  0x6001FF, 0x6FFFFF, 0x701DFE, 0x701DFF, 0x800003, 0x900003, 0xA00003,
                                  0xFFFFFE, 0xFFFFFF};
        for (uint32_t a : edges) {
            for (uint16_t op : {0x23C0, 0x33C0, 0x13C0, 0x2239, 0x3239, 0x1239})  // move.l/w/b d0,<a> and <a>,d1
                code.insert(code.end(), {op, hi(a), lo(a)});
        }
        code.insert(code.end(), {0x48F9, 0x7FFF, 0x0010, 0x3FF0});  // movem.l d0-d7/a0-a6,$103FF0
        code.insert(code.end(), {0x4CF9, 0x7FFF, 0x0070, 0x1DE1});  // movem.l $701DE1,d0-d7/a0-a6
        code.insert(code.end(), {0x2E7C, 0x0000, 0x0006,  // movea.l #6,a7
                                 0x48E7, 0xFFFE,          // L: movem.l d0-d7/a0-a6,-(a7)
                                 0x9FFC, 0x0000, 0x3FC1,  // suba.l #$3FC1,a7
                                 0x60F4});                // bra.s L
        uint32_t at = kStart;
        for (uint16_t w : code) {
            image.words(at, {w});
            at += 2;
        }
        programs.push_back({"WritesAcrossEveryRegionEdgeAndARunawayStack", image, kSuccess, nullptr});
    }
    return programs;
}

}  // namespace hostile
