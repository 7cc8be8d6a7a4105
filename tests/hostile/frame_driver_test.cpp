// The frame driver with hostile programs: every call of pm_render ends and
// returns the frame buffer, whatever the 68000 program does, and neither the
// program ROM nor the graphics change.
#include <cstring>
#include <random>
#include <regex>

#include "board.h"
#include "hostile_programs.h"

using namespace hostile;

namespace {

constexpr int kFrames = 30;

uint64_t hashOf(const unsigned char* bytes, size_t size) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    return hash;
}

class HostileProgramFrames : public ::testing::TestWithParam<HostileProgram> {};

TEST_P(HostileProgramFrames, EveryFrameEndsAndTheRomStaysAsLoaded) {
    const HostileProgram& program = GetParam();
    RomSet set;
    set.writeComplete(program.image);

    // The board as at power-on: no interrupt chosen or pending, normal speed.
    NextInterrupt = 0;
    std::memset(_s68000context.interrupts, 0, sizeof _s68000context.interrupts);
    testMode = 0;
    cpucycles_by_frame = 133333;
    const std::string startUp = consoleOf([&] { pm_initAll(set.prefix().c_str()); });
    ASSERT_NE(startUp.find("CPU Reset..." + program.resetOutcome + "\n"), std::string::npos) << startUp;
    const uint64_t tiles = hashOf(tilesRom, 0x100000);

    std::string console;
    {
        Watchdog watchdog(120, program.name + ": " + std::to_string(kFrames) + " frames");
        console = consoleOf([&] {
            for (int frame = 0; frame < kFrames; ++frame)
                ASSERT_EQ(pm_render(false, false, 60), render_offscreen) << "frame " << frame;
            // A paused frame ends too.
            ASSERT_EQ(pm_render(false, true, 60), render_offscreen);
        });
    }
    // The only thing a program can make the board print: reads of unknown ports.
    static const std::regex kUnknownPort("I/O read from unknown port 0x[0-9a-f]{8}");
    size_t begin = 0;
    while (begin < console.size()) {
        size_t end = console.find('\n', begin);
        ASSERT_NE(end, std::string::npos) << "unterminated line: " << console.substr(begin, 200);
        const std::string line = console.substr(begin, end - begin);
        ASSERT_TRUE(std::regex_match(line, kUnknownPort)) << line;
        begin = end + 1;
    }

    // The ROM is not writable, whatever was written to its addresses.
    size_t changed = 0;
    for (size_t i = 0; i < kProgramSize; ++i) changed += codeRom[i ^ 1] != program.image.bytes()[i];
    EXPECT_EQ(changed, 0u) << "bytes of the program ROM changed";
    EXPECT_EQ(hashOf(tilesRom, 0x100000), tiles) << "the graphics changed";

    if (program.expectAfterFrames) program.expectAfterFrames();
}

INSTANTIATE_TEST_SUITE_P(Programs, HostileProgramFrames, ::testing::ValuesIn(hostilePrograms()),
                         [](const auto& info) { return info.param.name; });

// ROM sets of random words (sane reset vectors, random graphics): whatever
// the code does to RAM, sprites, palette and ports, each frame ends and the
// ROM stays as loaded.
TEST(RandomProgramRoms, EveryFrameEndsAndTheRomStaysAsLoaded) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        ProgramImage image(0x00104000, 0x400);
        for (uint32_t a = 8; a < kProgramSize; a += 2) image.words(a, {static_cast<uint16_t>(random())});
        RomSet set;
        set.writeProgram(image);
        for (int n = 0; n < 4; ++n) {
            std::vector<uint8_t> bytes(kRomFileSize);
            for (auto& b : bytes) b = static_cast<uint8_t>(random());
            set.write("CH" + std::to_string(n), bytes);
        }
        NextInterrupt = 0;
        const std::string startUp = consoleOf([&] { pm_initAll(set.prefix().c_str()); });
        ASSERT_NE(startUp.find("CPU Reset...Success"), std::string::npos) << startUp;
        Watchdog watchdog(120, "random program " + std::to_string(seed));
        consoleOf([&] {
            for (int frame = 0; frame < kFrames; ++frame)
                ASSERT_EQ(pm_render(false, false, 60), render_offscreen) << "frame " << frame;
        });
        size_t changed = 0;
        for (size_t i = 0; i < kProgramSize; ++i) changed += codeRom[i ^ 1] != image.bytes()[i];
        EXPECT_EQ(changed, 0u) << "bytes of the program ROM changed";
    }
}

}  // namespace
