// The frame driver with misbehaving 68000 programs, hand-assembled: every
// pm_render ends and returns the frame buffer whatever the program does, the
// board prints nothing but unknown-port reads, and neither the program ROM
// nor the graphics change. Then ROM sets of random words.
#include <cstring>
#include <functional>
#include <random>
#include <regex>

#include "board.h"
#include "hostile_support.h"

using namespace hostile;

namespace {

constexpr uint32_t kCounter = 0x100000;  // a long of work RAM the handlers count in
uint16_t hi(uint32_t v) { return static_cast<uint16_t>(v >> 16); }
uint16_t lo(uint32_t v) { return static_cast<uint16_t>(v); }
uint32_t counter() { return uint32_t(s68000fetch(kCounter)) << 16 | s68000fetch(kCounter + 2); }
ProgramImage at400() { return ProgramImage(0x00104000, 0x400); }
ProgramImage jumpTo(uint32_t target) { return at400().words(0x400, {0x4EF9, hi(target), lo(target)}); }
// Handlers of levels 2 to 4 at `at`: addq.l #1,$100000; then `tail`.
ProgramImage& handlers(ProgramImage& image, uint32_t at, std::initializer_list<uint16_t> tail) {
    image.words(at, {0x52B9, hi(kCounter), lo(kCounter)}).words(at + 6, tail);
    for (const int vector : {26, 27, 28}) image.longWord(4 * vector, at);
    return image;
}

struct Program {
    const char* name;
    std::function<ProgramImage()> image;
    const char* resetOutcome;
    std::function<void()> after;  // what the CPU shows after the frames
};

ProgramImage edgesAndARunawayStack() {  // long, word and byte moves across every region edge
    std::vector<uint16_t> code = {0x203C, 0x5A5A, 0xA5A5};  // move.l #$5A5AA5A5,d0
    for (const uint32_t a : {0x03FFFE, 0x03FFFF, 0x0FFFFF, 0x103FFE, 0x103FFF, 0x200000, 0x200001, 0x300001, 0x3FFFFF,
                             0x400001, 0x500004, 0x500005, 0x5FFFFF, 0x6001FE, 0x6001FF, 0x6FFFFF, 0x701DFE, 0x701DFF,
                             0x800003, 0x900003, 0xA00003, 0xFFFFFE, 0xFFFFFF})
        for (const uint16_t op : {0x23C0, 0x33C0, 0x13C0, 0x2239, 0x3239, 0x1239})  // move.l/w/b d0,<a> and <a>,d1
            code.insert(code.end(), {op, hi(a), lo(a)});
    code.insert(code.end(), {0x48F9, 0x7FFF, 0x0010, 0x3FF0,   // movem.l d0-d7/a0-a6,$103FF0
                             0x4CF9, 0x7FFF, 0x0070, 0x1DE1,   // movem.l $701DE1,d0-d7/a0-a6
                             0x2E7C, 0x0000, 0x0006,           // movea.l #6,a7
                             0x48E7, 0xFFFE,                   // L: movem.l d0-d7/a0-a6,-(a7)
                             0x9FFC, 0x0000, 0x3FC1, 0x60F4}); // suba.l #$3FC1,a7; bra.s L: through all memory
    ProgramImage image = at400();
    for (size_t i = 0; i < code.size(); ++i) image.words(0x400 + 2 * static_cast<uint32_t>(i), {code[i]});
    return image;
}

const Program kPrograms[] = {
    {"OddResetVector", [] { return ProgramImage(0x00104000, 0x401); }, "Failure: Double fault",
     [] { EXPECT_EQ(s68000exec(1000), S68000_EXIT_FAULTED); }},
    {"InitialPcUnmapped", [] { return ProgramImage(0x00104000, 0xF00000); }, "Success",
     [] { EXPECT_EQ(s68000exec(1000), S68000_EXIT_NO_REGION); }},
    {"InitialPcOnAWriteOnlyPort", [] { return ProgramImage(0x00104000, 0x200000); }, "Success",
     [] { EXPECT_EQ(_s68000context.pc, 0x200000u); }},
    {"StackInRomPcAtTheTop", [] { return ProgramImage(0, 0xFFFFFE); }, "Success", nullptr},
    {"JumpToAnOddAddress", [] { return jumpTo(0x403); }, "Success", nullptr},
    {"TrapThroughVectorsThatPointNowhere", [] {  // trap #0 to unmapped memory; illegal and line 1111 odd
         return at400().words(0x400, {0x4E40}).longWord(4 * 32, 0xE00000).longWord(4 * 4, 0x401).longWord(4 * 11, 0x403);
     }, "Success", nullptr},
    {"StopWithInterruptsMasked", [] {
         ProgramImage image = at400().words(0x400, {0x33FC, 0x0001, 0x0040, 0x0000,  // move.w #1,$400000: enable
                                                    0x4E72, 0x2700, 0x60FA});        // 408: stop #$2700; bra.s $408
         return handlers(image, 0x500, {0x4E73});                                     // rte
     }, "Success", [] {
         EXPECT_TRUE(_s68000context.pc == 0x408 || _s68000context.pc == 0x40C) << std::hex << _s68000context.pc;
         EXPECT_NE(_s68000context.interrupts[0] & 0x10, 0) << "no level 4 pending";
         EXPECT_EQ(counter(), 0u) << "an interrupt got through the mask";
     }},
    {"InterruptPortFlood", [] {  // sr #$2000, then every interrupt port, word and byte, in a loop
         ProgramImage image = at400().words(0x400, {0x46FC, 0x2000, 0x33FC, 1, 0x40, 0, 0x33FC, 1, 0x80, 0,
                                                    0x33FC, 1, 0x90, 0, 0x33FC, 1, 0xA0, 0, 0x13FC, 1, 0x80, 1,
                                                    0x13FC, 1, 0x90, 3, 0x13FC, 1, 0x40, 1, 0x60C6});
         return handlers(image, 0x500, {0x4E73});
     }, "Success", [] { EXPECT_GT(counter(), 0u) << "no interrupt was taken"; }},
    {"NestedInterruptsThatNeverReturn", [] {  // handlers unmask and loop re-arming the interrupt
         ProgramImage image = at400().words(0x400, {0x46FC, 0x2000, 0x33FC, 1, 0x40, 0, 0x60FE});
         return handlers(image, 0x600, {0x46FC, 0x2000, 0x33FC, 1, 0x80, 0, 0x60F6});
     }, "Success", [] { EXPECT_GT(counter(), 1u) << "interrupts did not nest"; }},
    {"InstructionStraddlesTheEndOfRom", [] { return jumpTo(0x3FFFE).words(0x3FFFE, {0x203C}); }, "Success", [] {
         EXPECT_EQ(_s68000context.dreg[0], 0xFFFFFFFFu) << "no region: 0xFFFF words";
         EXPECT_EQ(_s68000context.pc, 0x40004u);
     }},
    {"CodeInPaletteRam", [] {  // 256 changing words written to the palette, then run there
         return at400().words(0x400, {0x41F9, 0x60, 0, 0x303C, 0x4E71, 0x323C, 0xFF, 0x30C0, 0x0640, 0x1357, 0x51C9,
                                      0xFFF8, 0x4EF9, 0x60, 0});
     }, "Success", nullptr},
    {"WritesAcrossEveryRegionEdgeAndARunawayStack", edgesAndARunawayStack, "Success", nullptr},
};

// Starts the set and runs frames (one paused); the ROM and graphics as loaded, the console only unknown ports.
void runFrames(const ProgramImage& image, const std::string& resetOutcome, bool graphicsRandom) {
    RomSet set;
    set.writeComplete(image);
    if (graphicsRandom) {
        std::mt19937 random(image.bytes[9]);
        std::vector<uint8_t> bytes(kRomFileSize);
        for (auto& b : bytes) b = static_cast<uint8_t>(random());
        rom_set_test::writeFile(set.file("CH2"), bytes);
    }
    NextInterrupt = 0;  // as at power-on
    std::memset(_s68000context.interrupts, 0, sizeof _s68000context.interrupts);
    testMode = 0;
    cpucycles_by_frame = 133333;
    const std::string startUp = console_of([&] { pm_initAll(set.prefix().c_str()); });
    ASSERT_NE(startUp.find("CPU Reset..." + resetOutcome + "\n"), std::string::npos) << startUp;
    const std::vector<uint8_t> tiles(tilesRom, tilesRom + 0x100000);
    Watchdog watchdog(120, "30 frames");
    const std::string console = console_of([&] {
        for (int frame = 0; frame <= 30; ++frame)
            ASSERT_EQ(pm_render(false, frame == 30, 60), render_offscreen) << "frame " << frame;
    });
    static const std::regex kUnknownPorts("(I/O read from unknown port 0x[0-9a-f]{8}\n)*");
    EXPECT_TRUE(std::regex_match(console, kUnknownPorts)) << console.substr(0, 400);
    size_t changed = 0;
    for (size_t i = 0; i < kProgramSize; ++i) changed += codeRom[i ^ 1] != image.bytes[i];
    EXPECT_EQ(changed, 0u) << "bytes of the program ROM changed";
    EXPECT_TRUE(std::equal(tiles.begin(), tiles.end(), tilesRom)) << "the graphics changed";
}

TEST(HostilePrograms, EveryFrameEndsAndTheRomStaysAsLoaded) {
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.name);
        runFrames(program.image(), program.resetOutcome, false);
        if (program.after) program.after();
    }
}

TEST(HostilePrograms, RandomWordsBehindSaneVectors) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        ProgramImage image = at400();
        for (uint32_t a = 8; a < kProgramSize; a += 2) image.words(a, {static_cast<uint16_t>(random())});
        runFrames(image, "Success", true);
    }
}

}  // namespace
