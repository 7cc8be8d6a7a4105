// The real program, headless, on hostile ROM sets and through a program path
// of 4 KiB: it exits by itself with the documented status and console
// output, and never crashes or hangs.
#include <unistd.h>

#include "hostile_programs.h"

using namespace hostile;

namespace {

const std::vector<std::string> kHeadless = {"SDL_VIDEODRIVER=dummy"};
constexpr int kSecondsPerRun = 180;  // generous: the sanitizer builds are slow
const std::string kAverageFps = "Average fps : ";

bool contains(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

// The program, named through a link in `dir`: it looks for dir/Roms/.
std::string programIn(const fs::path& dir) {
    fs::create_symlink(BEVOREL_PROGRAM, dir / "bevorel");
    return (dir / "bevorel").string();
}

class HostileProgramRun : public ::testing::TestWithParam<HostileProgram> {};

TEST_P(HostileProgramRun, BootsShowsItsFramesAndQuits) {
    const HostileProgram& program = GetParam();
    RomSet set;
    set.writeComplete(program.image);
    const ChildRun run = runChild({programIn(set.path()), "--boot", "--frames", "20", "--speed", "unlimited"},
                                  set.path(), kHeadless, kSecondsPerRun);
    ASSERT_TRUE(run.exited && run.status == 0) << describe(run);
    // Reset at start-up and again at boot.
    const std::string reset = "CPU Reset..." + program.resetOutcome + "\n";
    const size_t first = run.out.find(reset);
    ASSERT_NE(first, std::string::npos) << describe(run);
    EXPECT_NE(run.out.find(reset, first + 1), std::string::npos) << "no reset at boot\n" << describe(run);
    EXPECT_TRUE(contains(run.out, kAverageFps)) << describe(run);
    EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(Programs, HostileProgramRun, ::testing::ValuesIn(hostilePrograms()),
                         [](const auto& info) { return info.param.name; });

// ---- A program path of 4 KiB ----

TEST(ProgramPath, FourKiBThroughADeepDirectoryLooksInTheCurrentDirectory) {
    TempDir base;
    const fs::path deep = makeDeepDirectory(base.path(), 4000);
    const std::string program = programIn(deep);
    ASSERT_GE(program.size(), 4000u);
    ASSERT_LT(program.size(), 4096u);  // what the kernel accepts as a path
    // The current directory holds the demo ROM set; the program's own
    // directory holds none.
    TempDir work;
    fs::create_directory_symlink(fs::path(BEVOREL_PROGRAM).parent_path() / "Roms", work.path() / "Roms");

    const ChildRun run = runChild({program, "--boot", "--frames", "5", "--speed", "unlimited"}, work.path(),
                                  kHeadless, kSecondsPerRun);
    ASSERT_TRUE(run.exited) << describe(run);
    EXPECT_EQ(run.status, 0) << describe(run);
    EXPECT_TRUE(contains(run.out, "The program's path is 1024 characters or more: looking for Roms/ in the "
                                  "current directory.\n")) << describe(run);
    EXPECT_TRUE(contains(run.out, "Executing in ./\nLoading ROMS...Ok.\n")) << describe(run);
    EXPECT_TRUE(contains(run.out, kAverageFps)) << describe(run);
}

TEST(ProgramPath, FourKiBThroughDotComponentsWithNoSetInTheCurrentDirectory) {
    // "dir/././.../bevorel": the ROM set lies beside the program, but a path
    // this long is not used, and the current directory holds no set.
    RomSet set;
    set.writeComplete(hostilePrograms().front().image);
    programIn(set.path());
    std::string program = set.path().string() + "/";
    while (program.size() < 4080) program += "./";
    program += "bevorel";
    TempDir work;

    const ChildRun run = runChild({program, "--boot", "--frames", "5"}, work.path(), kHeadless, 60);
    ASSERT_TRUE(run.exited) << "--boot --frames with no ROM set must end by itself\n" << describe(run);
    EXPECT_EQ(run.status, 1) << describe(run);
    EXPECT_TRUE(contains(run.out, "looking for Roms/ in the current directory.\n")) << describe(run);
    EXPECT_TRUE(contains(run.out, "Executing in ./\nLoading ROMS...Failed\n\n")) << describe(run);
    EXPECT_TRUE(contains(run.out, "the game cannot be booted.\n")) << describe(run);
    EXPECT_FALSE(contains(run.out, kAverageFps)) << "frames were shown\n" << describe(run);
}

// ---- A ROM set that does not load ----

TEST(ProgramWithoutRomSet, BootWithAFrameLimitEndsAtOnceWithStatus1) {
    RomSet set;
    set.writeComplete(hostilePrograms().front().image);
    fs::resize_file(set.file("CH2"), kRomFileSize - 1);
    const std::string program = programIn(set.path());

    const ChildRun run = runChild({program, "--boot", "--frames", "100"}, set.path(), kHeadless, 60);
    ASSERT_TRUE(run.exited) << "--boot --frames with no ROM set must end by itself\n" << describe(run);
    EXPECT_EQ(run.status, 1) << describe(run);
    EXPECT_TRUE(contains(run.out, "Loading ROMS...(./Roms/CHx not found)Failed\n\n")) << describe(run);
    EXPECT_TRUE(contains(run.out, "No ROM set is loaded (see the start-up messages above): the game cannot be "
                                  "booted.\n")) << describe(run);
    EXPECT_FALSE(contains(run.out, kAverageFps)) << describe(run);
}

}  // namespace
