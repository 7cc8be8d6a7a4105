// Board start-up: the console report of every outcome, the ROM interleave and
// the graphics expansion, and a file that does not load (the rule a file
// follows is the content loader's tests').
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board.h"
#include "rom_files.h"
#include "rom_set.h"
#include "scramble_machine.h"

using namespace board_test;

namespace {

const std::string kLoaded =
    "Loading ROMS...Ok.\n"
    "Allocating On-board memory...Ok.\n"
    "\nCPU(Motorola 68000 8.000000 Mhz) init...Ok\n"
    "Initializing memory mapping...Ok\n";

std::string reset_report(const char* outcome, uint32_t ssp, uint32_t pc) {
    char lines[160];
    std::snprintf(lines, sizeof lines,
                  "CPU Reset...%s\tInitial Stack pointer   : 0x%.8x\n\tInitial Program counter : 0x%.8x\n",
                  outcome, ssp, pc);
    return lines;
}

std::string start(const RomSetDir& set) {
    return console_of([&] { EXPECT_EQ(pm_initAll(set.prefix().c_str()), 0); });
}

TEST(BoardStartup, CompleteSetReportsEveryStepAndResetsTheCpu) {
    RomSetDir set;
    set.write_complete(0x00104000, 0x00000400);
    EXPECT_EQ(start(set), banner(set.prefix()) + kLoaded + reset_report("Success\n", 0x00104000, 0x400));
    EXPECT_STREQ(_execPath, set.prefix().c_str());
    EXPECT_EQ(_s68000context.pc, 0x400u);
    EXPECT_EQ(_s68000context.sr, 0x2700);
}

TEST(BoardStartup, OddInitialPcIsADoubleFaultButStartUpCompletes) {
    RomSetDir set;
    set.write_complete(0x00104000, 0x00000401);
    EXPECT_EQ(start(set), banner(set.prefix()) + kLoaded + reset_report("Failure: Double fault\n", 0x00104000, 0x401));
    EXPECT_EQ(s68000exec(100), S68000_EXIT_FAULTED);
}

// A file that does not load is named with the reason (the checks themselves
// are rom_files.h's, tested with the set's content), and start-up stops.
TEST(BoardStartup, AFileThatDoesNotLoadIsNamedWithTheReason) {
    RomSetDir set;
    set.write_complete();
    set.write("CH2", std::vector<uint8_t>(1000, 0));
    const std::string reason = set.file("CH2").string() + " is 1000 bytes where 131072 are needed";
    EXPECT_EQ(start(set), banner(set.prefix()) + "Loading ROMS...(" + reason + ")Failed\n\n");
    EXPECT_EQ(rom_set_failure(), reason);
    set.write_complete();
    std::filesystem::remove(set.file("PELLMORA.3A"));
    EXPECT_EQ(start(set), banner(set.prefix()) + "Loading ROMS...(" + set.file("PELLMORA.3A").string() +
                              " is missing)Failed\n\n");
    set.write_complete();
    start(set);
    EXPECT_EQ(rom_set_failure(), "");
}

// The desktop program resets the board from its menu even after a failed
// start-up; the CPU was never set up, and the reset says so.
TEST(BoardStartup, ResetAfterAFailedStartUpReportsThatTheCpuCannotReset) {
    std::memset(&_s68000context, 0, sizeof _s68000context);  // as at program start
    RomSetDir set;
    set.write_complete();
    std::filesystem::remove(set.file("CH0"));
    start(set);
    EXPECT_EQ(console_of([] { EXPECT_EQ(pm_reset(), 1); }),
              reset_report("Failure: Reset vector could not be fetched\n", 0, 0));
    EXPECT_EQ(s68000exec(100), S68000_EXIT_NO_REGION);
}

TEST(BoardStartup, TooLongDirectoryIsRefusedWithoutTouchingTheBuffer) {
    const std::string dir(1024, 'x');
    const std::string out = console_of([&] { pm_initAll(dir.c_str()); });
    EXPECT_EQ(out, banner("") +
                       "The program's directory name is 1024 characters long; at most 1023 are supported.\n"
                       "Failed\n\n");
    EXPECT_STREQ(_execPath, "");
}

TEST(BoardStartup, ProgramFilesInterleaveIntoTheMemoryImage) {
    RomSetDir set;
    std::vector<uint8_t> even(kRomSize), odd(kRomSize);
    for (size_t i = 0; i < kRomSize; ++i) {
        even[i] = static_cast<uint8_t>(i * 3);
        odd[i] = static_cast<uint8_t>(i * 5 + 1);
    }
    even[0] = 0x00, odd[0] = 0x10;  // SSP 0x00104000 ...
    even[1] = 0x40, odd[1] = 0x00;
    even[2] = 0x00, odd[2] = 0x00;  // ... PC 0x00000400
    even[3] = 0x04, odd[3] = 0x00;
    set.write("PELLMORA.3A", even);
    set.write("PELLMORA.2A", odd);
    set.write_graphics();
    start(set);
    // Image byte 2i is byte i of 2A and 2i + 1 byte i of 3A ...
    for (size_t i : {size_t{0}, size_t{7}, size_t{65535}, size_t{65536}, kRomSize - 1}) {
        EXPECT_EQ(codeRom[2 * i], odd[i]) << i;
        EXPECT_EQ(codeRom[2 * i + 1], even[i]) << i;
        // ... so the 68000 reads the word (3A byte) * 256 + (2A byte).
        EXPECT_EQ(s68000fetch(static_cast<uint32_t>(2 * i)), even[i] * 256u + odd[i]) << i;
    }
}

TEST(BoardStartup, GraphicsExpandToOnePixelPerByteHighNibbleFirst) {
    RomSetDir set;
    set.write_complete();
    std::vector<uint8_t> ch0(kRomSize, 0), ch1(kRomSize, 0);
    ch0[0] = 0xA7;
    ch0[kRomSize - 1] = 0x3E;
    ch1[0] = 0x5B;
    set.write("CH0", ch0);
    set.write("CH1", ch1);
    start(set);
    EXPECT_EQ(tilesRom[0], 0x0A);
    EXPECT_EQ(tilesRom[1], 0x07);
    EXPECT_EQ(tilesRom[0x3FFFE], 0x03);
    EXPECT_EQ(tilesRom[0x3FFFF], 0x0E);
    EXPECT_EQ(tilesRom[0x40000], 0x05);
    EXPECT_EQ(tilesRom[0x40001], 0x0B);
}

TEST(BoardStartup, WorkAndSpriteRamStartCleared) {
    RomSetDir set;
    set.write_complete();
    start(set);
    onboardRam[100] = 0x55;
    spriteRam[7679] = 0x66;
    start(set);
    EXPECT_EQ(onboardRam[100], 0);
    EXPECT_EQ(spriteRam[7679], 0);
}

// A host holding the set in memory hands start-up each file by its name;
// what its source does not give counts as missing, and nothing is read from
// the directory.
std::vector<std::string> asked;
bool withoutCh3 = false;
std::unique_ptr<unsigned char[]> memorySource(const char* name, std::string& reason) {
    asked.push_back(name);
    if (withoutCh3 && asked.back() == "./Roms/CH3") {
        reason = "CH3 is not in the archive";
        return nullptr;
    }
    std::unique_ptr<unsigned char[]> file(new unsigned char[kRomSize]);
    const auto tag = static_cast<unsigned char>(asked.size());
    for (size_t i = 0; i < kRomSize; ++i) file[i] = tag;
    if (asked.back().ends_with(".2A") || asked.back().ends_with(".3A")) file[2] = file[3] = 0;
    if (asked.back().ends_with(".3A")) file[3] = 0x04;  // reset PC 0x00000400
    return file;
}

TEST(BoardStartup, RomSourceOfTheHostReplacesTheFiles) {
    RomSetDir empty;  // no file at all: everything comes from the source
    asked.clear();
    withoutCh3 = false;
    pm_setRomSource(memorySource);
    const std::string out = console_of([&] { pm_initAll(empty.prefix().c_str()); });
    EXPECT_EQ(asked, (std::vector<std::string>{"./Roms/PELLMORA.2A", "./Roms/PELLMORA.3A", "./Roms/CH0",
                                                "./Roms/CH1", "./Roms/CH2", "./Roms/CH3"}));
    EXPECT_EQ(out, banner(empty.prefix()) + kLoaded + reset_report("Success\n", 0x02010201, 0x00000400));
    EXPECT_EQ(codeRom[0], 1);  // 2A at even image bytes, 3A at odd ones
    EXPECT_EQ(codeRom[1], 2);
    EXPECT_EQ(tilesRom[0], 0);  // CH0 was the third file asked: bytes 0x03
    EXPECT_EQ(tilesRom[1], 3);
    EXPECT_EQ(tilesRom[0xFFFFF], 6);

    asked.clear();
    withoutCh3 = true;
    EXPECT_EQ(console_of([&] { pm_initAll(empty.prefix().c_str()); }),
              banner(empty.prefix()) + "Loading ROMS...(CH3 is not in the archive)Failed\n\n");
    pm_setRomSource(nullptr);
    withoutCh3 = false;
}

// A host starting the board again in the same process gets the machine of a
// first start: nothing a program or a reset left behind survives.
TEST(BoardStartup, PowerOnClearsEverythingAStartUpOrResetKeeps) {
    RomSetDir set;
    set.write_complete();
    start(set);
    scrambleMachine();
    NextInterrupt = 26;

    pm_powerOn();
    EXPECT_EQ(std::count(onboardRam, onboardRam + 0x4000, 0), 0x4000);
    EXPECT_EQ(std::count(spriteRam, spriteRam + 0x1E00, 0), 0x1E00);
    EXPECT_EQ(std::count(std::begin(_dynamicPalette), std::end(_dynamicPalette), 0), 512);
    EXPECT_EQ(std::count(std::begin(dynamicPalette), std::end(dynamicPalette), 0), 256);
    EXPECT_EQ(std::vector<unsigned char>(IOBuf, IOBuf + 6),
              (std::vector<unsigned char>{0x7F, 0xFF, 0x7F, 0x00, 0xBF, 0x00}));
    EXPECT_EQ(NextInterrupt, 0);
    EXPECT_EQ(interruptEnable | IRQ4ACK | IRQ3ACK | IRQ2ACK, 0);
    EXPECT_EQ(watchDogReset[0] | watchDogReset[1], 0);
    EXPECT_EQ(std::count(std::begin(render_offscreen), std::end(render_offscreen), 0), kScreenWidth * kScreenHeight);
    EXPECT_EQ(cpucycles_by_frame.load(), cyclesPerFrame(Speed::Fps60));
    EXPECT_EQ(s68000readOdometer(), 0u);
}

TEST(BoardStartup, ReleasedMemoriesComeBackWithTheNextStartUp) {
    RomSetDir set;
    set.write_complete(0x00104000, 0x00000400);
    start(set);
    pm_releaseMemories();
    EXPECT_EQ(codeRom, nullptr);
    EXPECT_EQ(tilesRom, nullptr);
    EXPECT_EQ(onboardRam, nullptr);
    EXPECT_EQ(spriteRam, nullptr);
    EXPECT_EQ(start(set), banner(set.prefix()) + kLoaded + reset_report("Success\n", 0x00104000, 0x400));
    ASSERT_NE(onboardRam, nullptr);
    EXPECT_EQ(_s68000context.s_readword[1].user_data, onboardRam) << "the map follows the new memories";
}

}  // namespace
