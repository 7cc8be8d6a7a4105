// Program directories longer than the board's 1024-byte path buffer: refused
// whole, never cut or copied past the buffer; the longest that fits works.
#include <cstring>

#include "board.h"
#include "hostile_support.h"

using namespace hostile;

namespace {

constexpr uint32_t kUntouchedPc = 0x00ABCDE0;

ProgramImage program() {
    ProgramImage image(0x00104000, 0x400);
    image.words(0x400, {0x60FE});
    return image;
}

std::string refusal(size_t length) {
    return banner("") + "The program's directory name is " + std::to_string(length) +
           " characters long; at most 1023 are supported.\nFailed\n\n";
}

TEST(LongProgramDirectory, FourKiBIsRefusedCleanly) {
    // A name that would overrun _execPath four times over.
    const std::string dir = "/" + std::string(4094, 'd') + "/";
    ASSERT_EQ(dir.size(), 4096u);
    std::strcpy(_execPath, "/before/");
    _s68000context.pc = kUntouchedPc;
    const std::string out = consoleOf([&] { EXPECT_EQ(pm_initAll(dir.c_str()), 0); });
    EXPECT_EQ(out, refusal(4096));
    EXPECT_STREQ(_execPath, "");  // not a cut piece of the long name
    EXPECT_EQ(_s68000context.pc, kUntouchedPc);
}

TEST(LongProgramDirectory, TheLongestThatFitsLoadsAndOneMoreIsRefused) {
    TempDir base;
    // A real directory of 1022 characters, 1023 with its '/': the buffer's limit.
    const fs::path deep = makeDeepDirectory(base.path(), 1022);
    ASSERT_EQ(deep.string().size(), 1022u);
    RomSet set;
    set.writeComplete(program());
    fs::create_directory_symlink(set.path() / "Roms", deep / "Roms");

    const std::string fits = deep.string() + "/";
    _s68000context.pc = kUntouchedPc;
    std::string out = consoleOf([&] { pm_initAll(fits.c_str()); });
    EXPECT_EQ(out, banner(fits) +
                       "Loading ROMS...Ok.\n"
                       "Allocating On-board memory...Ok.\n"
                       "\nCPU(Motorola 68000 8.000000 Mhz) init...Ok\n"
                       "Initializing memory mapping...Ok\n"
                       "CPU Reset...Success\n"
                       "\tInitial Stack pointer   : 0x00104000\n"
                       "\tInitial Program counter : 0x00000400\n");
    EXPECT_STREQ(_execPath, fits.c_str());

    // The same directory named through one more character ("//" is the same place).
    const std::string tooLong = deep.string() + "//";
    ASSERT_TRUE(fs::exists(tooLong + "Roms/CH0"));
    _s68000context.pc = kUntouchedPc;
    out = consoleOf([&] { pm_initAll(tooLong.c_str()); });
    EXPECT_EQ(out, refusal(1024));
    EXPECT_EQ(_s68000context.pc, kUntouchedPc);
}

}  // namespace
