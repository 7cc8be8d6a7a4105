// Board start-up: power-on, released memories, and a reset that finds no ROM
// set. (The console reports of a start-up are the program's golden output and
// tests/hostile's; which files load and how is the loader fuzzer's.)
#include <cstring>
#include <string>
#include <vector>

#include "board.h"
#include "rom_files.h"
#include "rom_set.h"

using namespace board_test;

namespace {

// Power-on puts back the speed, the cycle count and the memories (the demo's
// and libretro's tests run from it); released memories come back with the
// next start-up; a start-up that cannot load leaves the reset no vector.
TEST(BoardStartup, PowerOnReleaseAndAResetWithoutRoms) {
    RomSetDir set;
    set.write_complete();
    console_of([&] { pm_initAll(set.prefix().c_str()); });
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
    console_of([&] { pm_initAll(set.prefix().c_str()); });
    ASSERT_NE(onboardRam, nullptr);
    EXPECT_EQ(_s68000context.s_readword[1].user_data, onboardRam);

    std::memset(&_s68000context, 0, sizeof _s68000context);  // as at program start
    rom_set_test::writeFile(set.roms() / "CH2", std::vector<uint8_t>(1000, 0));
    console_of([&] { pm_initAll(set.prefix().c_str()); });
    EXPECT_EQ(console_of([] { EXPECT_EQ(pm_reset(), 1); }),
              "CPU Reset...Failure: Reset vector could not be fetched\n\tInitial Stack pointer   : 0x00000000\n"
              "\tInitial Program counter : 0x00000000\n");
}

}  // namespace
