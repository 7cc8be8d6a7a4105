// Board start-up: each console report once, power-on, released memories.
// (Which files load and how is the loader fuzzer's and tests/hostile's.)
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "board.h"
#include "rom_files.h"
#include "rom_set.h"

using namespace board_test;

namespace {

const std::string kLoaded =
    "Loading ROMS...Ok.\nAllocating On-board memory...Ok.\n"
    "\nCPU(Motorola 68000 8.000000 Mhz) init...Ok\nInitializing memory mapping...Ok\n";

std::string reset_report(const char* outcome, uint32_t ssp, uint32_t pc) {
    char lines[160];
    std::snprintf(lines, sizeof lines,
                  "CPU Reset...%s\tInitial Stack pointer   : 0x%.8x\n\tInitial Program counter : 0x%.8x\n",
                  outcome, ssp, pc);
    return lines;
}

std::string start(const RomSetDir& set) {
    return console_of([&] { pm_initAll(set.prefix().c_str()); });
}

TEST(BoardStartup, ReportsEachOutcomeOnTheConsole) {
    RomSetDir set;
    const std::string ch2 = set.file("CH2").string() + " is 1000 bytes where 131072 are needed";
    const struct {
        uint32_t pc;
        std::function<void()> spoil;
        std::string after;  // what follows the banner
        uint32_t exit;      // of a first instruction
    } rows[] = {
        {0x400, [] {}, kLoaded + reset_report("Success\n", 0x00104000, 0x400), 0},
        {0x401, [] {}, kLoaded + reset_report("Failure: Double fault\n", 0x00104000, 0x401), S68000_EXIT_FAULTED},
        {0x400, [&] { set.write("CH2", std::vector<uint8_t>(1000, 0)); }, "Loading ROMS...(" + ch2 + ")Failed\n\n",
         S68000_EXIT_NO_REGION},
    };
    for (const auto& r : rows) {
        std::memset(&_s68000context, 0, sizeof _s68000context);  // as at program start
        set.write_complete(0x00104000, r.pc);
        r.spoil();
        EXPECT_EQ(start(set), banner(set.prefix()) + r.after);
        if (r.exit == S68000_EXIT_NO_REGION) {
            EXPECT_EQ(rom_set_failure(), ch2);
            EXPECT_EQ(console_of([] { EXPECT_EQ(pm_reset(), 1); }),
                      reset_report("Failure: Reset vector could not be fetched\n", 0, 0));
        } else {
            EXPECT_EQ(rom_set_failure(), "");
            EXPECT_STREQ(_execPath, set.prefix().c_str());
        }
        if (r.exit != 0) EXPECT_EQ(s68000exec(100), r.exit);
        else EXPECT_EQ(_s68000context.sr, 0x2700);
    }
}

// Power-on puts back the speed and the cycle count (its clears are the demo's
// and libretro's tests'); released memories come back with the next start-up.
TEST(BoardStartup, PowerOnAndReleasedMemories) {
    RomSetDir set;
    set.write_complete();
    start(set);
    s68000exec(100);
    cpucycles_by_frame = 1;
    onboardRam[7] = spriteRam[7] = _dynamicPalette[7] = 0x5A;
    dynamicPalette[3] = 0x1234;
    pm_powerOn();
    EXPECT_EQ(cpucycles_by_frame.load(), cyclesPerFrame(Speed::Fps60));
    EXPECT_EQ(s68000readOdometer(), 0u);
    EXPECT_EQ(onboardRam[7] | spriteRam[7] | _dynamicPalette[7] | dynamicPalette[3], 0) << "a memory kept across power-on";
    pm_releaseMemories();
    EXPECT_TRUE(!codeRom && !tilesRom && !onboardRam && !spriteRam);
    EXPECT_EQ(start(set), banner(set.prefix()) + kLoaded + reset_report("Success\n", 0x00104000, 0x400));
    ASSERT_NE(onboardRam, nullptr);
    EXPECT_EQ(_s68000context.s_readword[1].user_data, onboardRam);
}

}  // namespace
