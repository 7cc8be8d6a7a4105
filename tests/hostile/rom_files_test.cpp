// ROM files that are not what they should be, through the board's start-up:
// refused with the file named and why, the CPU untouched, never blocking; the
// set loads again once whole.
// Huge sparse files cost no more than the 128 KiB each gives; a program
// directory longer than the board's path buffer is refused whole.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "board.h"
#include "hostile_support.h"

using namespace hostile;

namespace {

constexpr uint32_t kUntouchedPc = 0x00ABCDE0;  // no start-up leaves this in the PC
const std::string kLoaded = "Initializing memory mapping...Ok\nCPU Reset...Success\n"
                            "\tInitial Stack pointer   : 0x00104000\n\tInitial Program counter : 0x00000400\n";

ProgramImage program() { return ProgramImage(0x00104000, 0x400).words(0x400, {0x60FE}); }  // bra.s *

std::string startUp(const std::string& prefix) {
    _s68000context.pc = kUntouchedPc;
    Watchdog watchdog(30, "board start-up on " + prefix);
    return console_of([&] { EXPECT_EQ(pm_initAll(prefix.c_str()), 0); });
}

struct Hostile {
    const char* name;
    const char* file;  // the file the report names, in Roms/
    const char* reason;
    std::function<void(const fs::path&)> make;
};

// Missing, short and irregular files are the board's own tests'; here what
// could block or loop: a FIFO with no writer (a clear watchdog failure
// instead of a hang), a link that loops; and Roms/ a file.
const Hostile kHostile[] = {
    {"FifoWithoutWriter", "CH0", "is not a regular file",
     [](auto& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
    {"LinkLoop", "CH3", "cannot be read (Too many levels of symbolic links)",
     [](auto& path) { fs::create_symlink(path.filename(), path); }},
    {"RomsIsAFile", "PELLMORA.2A", "is missing",
     [](auto& path) { fs::remove_all(path.parent_path()), std::ofstream(path.parent_path()) << 'x'; }},
};

TEST(HostileRomFiles, AreRefusedWithTheFileNamedAndNothingSetUpToRun) {
    RomSet set;
    for (const Hostile& row : kHostile) {
        SCOPED_TRACE(row.name);
        set.writeComplete(program());
        ASSERT_TRUE(startUp(set.prefix()).ends_with(kLoaded)) << "the intact set must load";
        fs::remove(set.file(row.file));
        row.make(set.file(row.file));
        const std::string out = startUp(set.prefix());
        EXPECT_NE(out.find("\nLoading ROMS...(" + set.file(row.file).string() + " " + row.reason), std::string::npos)
            << out;
        EXPECT_TRUE(out.ends_with(")Failed\n\n")) << out;
        EXPECT_EQ(_s68000context.pc, kUntouchedPc) << "start-up went on to reset the CPU";
        std::error_code ignored;
        fs::remove_all(set.path() / "Roms", ignored), fs::create_directory(set.path() / "Roms");
    }
    set.writeComplete(program());
    EXPECT_TRUE(startUp(set.prefix()).ends_with(kLoaded)) << "the set loads again once whole";
}

TEST(HostileRomFiles, SparseFilesOfSeveralGiBLoadTheirFirst128KiBInConstantMemoryAndTime) {
    RomSet set;
    set.writeComplete(program().words(0x3FFFE, {0x1234}));
    for (const char* name : {"PELLMORA.2A", "PELLMORA.3A", "CH1"}) ASSERT_EQ(truncate(set.file(name).c_str(), 6l << 30), 0);
    ASSERT_EQ(truncate(set.file("CH3").c_str(), 0), 0);
    ASSERT_EQ(truncate(set.file("CH3").c_str(), 6l << 30), 0);  // nothing but a hole
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const double start = secondsNow();
    EXPECT_TRUE(startUp(set.prefix()).ends_with(kLoaded));
    const double elapsed = secondsNow() - start;
    getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(s68000fetch(0x3FFFE), 0x1234u) << "the last word of the 128 KiB each file gives";
    EXPECT_EQ(std::pair(tilesRom[0x40001], tilesRom[0xC0001]), (std::pair<uint8_t, uint8_t>(3, 0)))
        << "CH1's first byte (3: pixels 0 and 3), the hole's zeros";
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "KiB of peak resident set";
    EXPECT_LT(elapsed, 1.0) << "seconds";
}

// The board keeps the directory in a buffer of 1024 bytes: 1023 characters
// with the '/' load, one more (the same place through "//") is refused whole.
TEST(HostileRomFiles, TheLongestDirectoryThatFitsLoadsAndOneMoreIsRefused) {
    RomSet set;
    set.writeComplete(program());
    std::string deep = set.path().string();
    for (char letter = 'a'; deep.size() < 1022; ++letter) {  // names of at most 249 characters
        deep += "/" + std::string(1022 - deep.size() > 250 ? 199 : 1022 - deep.size() - 1, letter);
        fs::create_directory(deep);
    }
    ASSERT_EQ(deep.size(), 1022u);
    fs::create_directory_symlink(set.path() / "Roms", deep + "/Roms");
    EXPECT_TRUE(startUp(deep + "/").ends_with(kLoaded));
    EXPECT_STREQ(_execPath, (deep + "/").c_str());
    const std::string out = startUp(deep + "//");
    EXPECT_TRUE(out.ends_with("The program's directory name is 1024 characters long; at most 1023 are supported.\n"
                              "Failed\n\n")) << out;
    EXPECT_STREQ(_execPath, "") << "not a cut piece of the long name";
    EXPECT_EQ(_s68000context.pc, kUntouchedPc);
}

}  // namespace
