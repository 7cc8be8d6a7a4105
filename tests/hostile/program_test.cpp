// The real program, headless, on hostile ROM sets and through a program path
// of 4 KiB: it exits by itself with the documented status and console
// output, and never crashes or hangs.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "hostile_programs.h"

using namespace hostile;

namespace {

const std::vector<std::string> kHeadless = {"SDL_VIDEODRIVER=dummy"};
constexpr int kSecondsPerRun = 180;  // generous: the sanitizer builds are slow
const std::string kAverageFps = "Average fps : ";

bool contains(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

// The program given the ROM set of `set` (its Roms/ directory).
std::vector<std::string> programOn(const RomSet& set) { return {BEVOREL_PROGRAM, (set.path() / "Roms").string()}; }

std::vector<std::string> plus(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// A copy of the program in `dir` (a hard link when the file system allows):
// its real path is there.
std::string programCopiedTo(const fs::path& dir) {
    std::error_code linked;
    fs::create_hard_link(BEVOREL_PROGRAM, dir / "bevorel", linked);
    if (linked) fs::copy_file(BEVOREL_PROGRAM, dir / "bevorel");
    return (dir / "bevorel").string();
}

// A program whose reset report tells it from the demo's (PC 0x100).
ProgramImage markedProgram() {
    ProgramImage image(0x00104000, 0x400);
    image.words(0x400, {0x60FE});  // bra.s *
    return image;
}
const std::string kMarkedReset = "\tInitial Program counter : 0x00000400\n";
const std::string kDemoReset = "\tInitial Program counter : 0x00000100\n";

class HostileProgramRun : public ::testing::TestWithParam<HostileProgram> {};

TEST_P(HostileProgramRun, BootsShowsItsFramesAndQuits) {
    const HostileProgram& program = GetParam();
    RomSet set;
    set.writeComplete(program.image);
    const ChildRun run = runChild(plus(programOn(set), {"--boot", "--frames", "20", "--speed", "unlimited"}),
                                  set.path(), kHeadless, kSecondsPerRun);
    ASSERT_TRUE(run.exited && run.status == 0) << describe(run);
    EXPECT_TRUE(contains(run.out, "Executing in " + set.prefix() + "Roms/\nLoading ROMS...Ok.\n")) << describe(run);
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

// ---- Where the ROM set is looked for ----

TEST(RomSetLookup, TheDirectoryGivenHoldsTheSet) {
    RomSet set;
    set.writeComplete(markedProgram());
    TempDir work;
    const ChildRun run = runChild(plus(programOn(set), {"--boot", "--frames", "3"}), work.path(), kHeadless,
                                  kSecondsPerRun);
    ASSERT_TRUE(run.exited) << describe(run);
    EXPECT_EQ(run.status, 0) << describe(run);
    EXPECT_TRUE(contains(run.out, "Executing in " + set.prefix() + "Roms/\nLoading ROMS...Ok.\n")) << describe(run);
    EXPECT_TRUE(contains(run.out, kMarkedReset)) << describe(run);
}

TEST(RomSetLookup, ThroughALinkTheSetBesideTheRealProgramIsRead) {
    // A link in a directory whose Roms/ holds another set, started from there.
    RomSet set;
    set.writeComplete(markedProgram());
    fs::create_symlink(BEVOREL_PROGRAM, set.path() / "bevorel");
    const ChildRun run = runChild({(set.path() / "bevorel").string(), "--boot", "--frames", "3"}, set.path(),
                                  kHeadless, kSecondsPerRun);
    ASSERT_TRUE(run.exited) << describe(run);
    EXPECT_EQ(run.status, 0) << describe(run);
    const std::string real = fs::canonical(BEVOREL_PROGRAM).parent_path().string() + "/";
    EXPECT_TRUE(contains(run.out, "Executing in " + real + "\nLoading ROMS...Ok.\n")) << describe(run);
    EXPECT_TRUE(contains(run.out, kDemoReset)) << describe(run);
    EXPECT_FALSE(contains(run.out, kMarkedReset)) << describe(run);
}

TEST(RomSetLookup, WithNoSetBesideTheProgramTheCurrentDirectorysIsRead) {
    TempDir bin;
    const std::string program = programCopiedTo(bin.path());
    RomSet set;
    set.writeComplete(markedProgram());
    const ChildRun run = runChild({program, "--boot", "--frames", "3"}, set.path(), kHeadless, kSecondsPerRun);
    ASSERT_TRUE(run.exited) << describe(run);
    EXPECT_EQ(run.status, 0) << describe(run);
    EXPECT_TRUE(contains(run.out, "Executing in ./\nLoading ROMS...Ok.\n")) << describe(run);
    EXPECT_TRUE(contains(run.out, kMarkedReset)) << describe(run);

    // Neither has one: the program's directory is reported, and a boot fails.
    TempDir empty;
    const ChildRun none = runChild({program, "--boot", "--frames", "3"}, empty.path(), kHeadless, kSecondsPerRun);
    ASSERT_TRUE(none.exited) << describe(none);
    EXPECT_EQ(none.status, 1) << describe(none);
    EXPECT_TRUE(contains(none.out, "Executing in " + bin.prefix() + "\nLoading ROMS...(" + bin.prefix() +
                                       "Roms/PELLMORA.2A is missing)Failed\n\n"))
        << describe(none);
    EXPECT_TRUE(contains(none.out, "the game cannot be booted.\n")) << describe(none);
}

// ---- A program path of 4 KiB ----

TEST(ProgramPath, AProgramFileOf4KiBLooksInTheCurrentDirectory) {
    TempDir base;
    const fs::path deep = makeDeepDirectory(base.path(), 4000);
    const std::string program = programCopiedTo(deep);
    ASSERT_GE(program.size(), 4000u);
    ASSERT_LT(program.size(), 4096u);  // what the kernel accepts as a path
    // The current directory holds the demo ROM set; the program's own
    // directory, too long for the board, another.
    fs::create_directory_symlink(fs::path(BEVOREL_PROGRAM).parent_path() / "Roms", deep / "Roms");
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

    // No set in the current directory: nothing is loaded, and a boot fails.
    TempDir empty;
    const ChildRun none = runChild({program, "--boot", "--frames", "5"}, empty.path(), kHeadless, 60);
    ASSERT_TRUE(none.exited) << "--boot --frames with no ROM set must end by itself\n" << describe(none);
    EXPECT_EQ(none.status, 1) << describe(none);
    EXPECT_TRUE(contains(none.out, "looking for Roms/ in the current directory.\n")) << describe(none);
    EXPECT_TRUE(contains(none.out, "Executing in ./\nLoading ROMS...(" + empty.prefix() +
                                       "Roms/PELLMORA.2A is missing)Failed\n\n"))
        << describe(none);
    EXPECT_FALSE(contains(none.out, kAverageFps)) << "frames were shown\n" << describe(none);
}

// ---- A ROM set that does not load ----

TEST(ProgramWithoutRomSet, BootWithAFrameLimitEndsAtOnceWithStatus1) {
    RomSet set;
    set.writeComplete(hostilePrograms().front().image);
    fs::resize_file(set.file("CH2"), kRomFileSize - 1);

    const ChildRun run = runChild(plus(programOn(set), {"--boot", "--frames", "100"}), set.path(), kHeadless, 60);
    ASSERT_TRUE(run.exited) << "--boot --frames with no ROM set must end by itself\n" << describe(run);
    EXPECT_EQ(run.status, 1) << describe(run);
    EXPECT_TRUE(contains(run.out, "Loading ROMS...(" + set.file("CH2").string() + " is 131071 bytes where 131072 are "
                                  "needed)Failed\n\n"))
        << describe(run);
    EXPECT_TRUE(contains(run.out, "No ROM set is loaded (see the start-up messages above): the game cannot be "
                                  "booted.\n")) << describe(run);
    EXPECT_FALSE(contains(run.out, kAverageFps)) << describe(run);
}

// ---- No display ----

// Without a display and without a driver chosen by the user, the program must
// not run invisibly on one of SDL's windowless drivers: one line, status 1.
std::vector<std::string> withoutDisplay(const std::string& display) {
    std::vector<std::string> environment = {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY", "WAYLAND_SOCKET",
                                            "XDG_RUNTIME_DIR"};
    environment.push_back(display.empty() ? "DISPLAY" : "DISPLAY=" + display);
    return environment;
}

TEST(ProgramWithoutDisplay, RefusesWithOneLineAndStatus1) {
    for (const std::string display : {"", ":97", "nowhere:0"}) {
        SCOPED_TRACE("DISPLAY=" + display);
        TempDir work;
        const ChildRun run = runChild({BEVOREL_PROGRAM, "--boot", "--frames", "3"}, work.path(),
                                      withoutDisplay(display), 60);
        ASSERT_TRUE(run.exited) << describe(run);
        EXPECT_EQ(run.status, 1) << describe(run);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << describe(run);
        EXPECT_TRUE(contains(run.err, "no display found")) << describe(run);
        EXPECT_TRUE(contains(run.err, "SDL_VIDEODRIVER=dummy")) << describe(run);
        EXPECT_FALSE(contains(run.out, kAverageFps)) << describe(run);
    }
}

TEST(ProgramWithoutDisplay, ChosenWindowlessDriverStillRuns) {
    std::vector<std::string> environment = withoutDisplay("");
    environment.front() = "SDL_VIDEODRIVER=dummy";
    TempDir work;
    const ChildRun run = runChild({BEVOREL_PROGRAM, "--boot", "--frames", "3"}, work.path(), environment, 60);
    ASSERT_TRUE(run.exited) << describe(run);
    EXPECT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(contains(run.out, kAverageFps)) << describe(run);
}

// ---- Console output into a pipe ----

// The program's standard output read while it runs, until `wanted` has come
// twice or the time is up; then the program is stopped.
std::string outputWhileRunning(const std::vector<std::string>& argv, const std::string& wanted, int seconds) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return "pipe2 failed";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv.at(0).c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    const double deadline = secondsNow() + seconds;
    auto seenTwice = [&] {
        const size_t first = text.find(wanted);
        return first != std::string::npos && text.find(wanted, first + 1) != std::string::npos;
    };
    while (spawned == 0 && !seenTwice() && secondsNow() < deadline) {
        pollfd readable = {out[0], POLLIN, 0};
        if (poll(&readable, 1, 100) <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    if (spawned == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(out[0]);
    return text;
}

TEST(ProgramConsole, LinesReachAPipeWhileTheProgramRuns) {
    // Start-up report, then the reset at boot: both while the game runs on.
    const std::string text = outputWhileRunning({BEVOREL_PROGRAM, "--boot"}, "Initial Program counter", 60);
    const size_t first = text.find("Initial Program counter");
    ASSERT_NE(first, std::string::npos) << "nothing came while the program ran: " << text;
    EXPECT_NE(text.find("Initial Program counter", first + 1), std::string::npos) << text;
    EXPECT_NE(text.find("Loading ROMS...Ok.\n"), std::string::npos) << text;
}

}  // namespace
