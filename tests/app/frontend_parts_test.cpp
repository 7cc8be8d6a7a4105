// The front end's parts on their own, each a table: the title bar's text,
// the options, paths, the frame-rate report, screenshot files, symbol files,
// and a restart with new arguments.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "emulation.h"
#include "file_text.h"
#include "isolated_home.h"
#include "key_codes.h"
#include "launch_options.h"
#include "menus.h"
#include "paths.h"
#include "restart.h"
#include "scoped_environment.h"
#include "screenshot.h"
#include "screenshot_files.h"
#include "symbol_file.h"
#include "temp_dir.h"
#include "bevorel_window.h"
#include "window_title.h"

namespace fs = std::filesystem;

namespace {

DrawnPicture aPicture() {
    DrawnPicture picture;
    picture.width = kScreenWidth;
    picture.height = kScreenHeight;
    picture.bytesPerRow = kScreenWidth * 2;
    picture.pixels.assign(kScreenWidth * 2 * kScreenHeight, 0x1F);
    picture.serial = 1;
    return picture;
}

const std::string kPng = "\x89PNG\r\n\x1a\n";

// The parsed options in one line, for comparing with a table's.
std::string describe(const LaunchOptions& o) {
    std::ostringstream out;
    out << (o.boot ? "boot " : "") << "frames=" << o.frames << " shot=" << o.screenshot
        << " speed=" << (o.speedGiven ? static_cast<int>(o.speed) : -1) << " scale=" << o.scale
        << (o.scaleGiven ? "!" : "") << " gdb=" << o.gdbPort << " load=" << o.loadState
        << (o.fullScreen ? " full" : "") << " set=" << o.romSet << "@" << o.romSetArgument;
    for (const std::string& script : o.scripts) out << " script=" << script;
    if (o.scriptTimeout != 1.0) out << " timeout=" << o.scriptTimeout;
    return out.str();
}

}  // namespace

TEST(Title, SaysWhatTheGameDoesWhenItIsNotJustRunningAt60) {
    const struct {
        TitleStatus status;
        std::string suffix;
    } rows[] = {
        {{.running = true}, ""},
        {{.running = true, .paused = true, .debug = true}, " - Paused - Debug"},
        {{.running = true, .debug = true, .measuredFps = 12}, " - Debug"},  // no measure in the monitor
        {{.paused = true, .debug = true}, " - Debug"},                      // no pause before a boot
        {{.running = true, .paused = true, .movie = "Playing"}, " - Playing - Paused"},
        {{.movie = "Recording"}, ""},
        {{.running = true, .debug = true, .notice = "Saved slot 3"}, " - Saved slot 3"},
        {{.notice = "Saved slot 3"}, " - Saved slot 3"},
        {{.running = true, .speed = Speed::Fps30}, " - 30 fps"},
        {{.running = true, .speed = Speed::Unlimited}, " - Unlimited"},
        {{.running = true, .turbo = true}, " - Unlimited"},
        {{.running = true, .turbo = true, .measuredFps = 4210}, " - 4210 fps"},
        {{.running = true, .measuredFps = 59}, ""},
        {{.running = true, .measuredFps = 61}, ""},
        {{.running = true, .measuredFps = 58}, " - 58 fps"},
        {{.running = true, .measuredFps = 62}, " - 62 fps"},
        {{.speed = Speed::Fps30, .measuredFps = 30}, ""},  // nothing runs
    };
    for (const auto& r : rows) EXPECT_EQ(statusTitle(r.status), std::string(kWindowName) + r.suffix) << r.suffix;
}

TEST(Options, EveryOptionItsFormsAndEveryRefusal) {
    const fs::path set = test_home::isolatedHome().data() / "my set";
    fs::create_directories(set);
    const std::string s = set.string();
    const std::string none = "frames=0 shot= speed=-1 scale=1 gdb=-1 load=-1 set=@-1";
    const struct {
        std::vector<std::string> args;
        ParseResult result;
        std::string described;  // or a part of the error
    } rows[] = {
        {{}, ParseResult::Run, none},
        {{"--boot", "--frames", "120", "--screenshot", "out.png", "--speed", "unlimited", "--scale", "3", "--gdb",
          "1234", "--load-state", "7"},
         ParseResult::Run, "boot frames=120 shot=out.png speed=2 scale=3! gdb=1234 load=7 set=@-1"},
        {{"--frames=4294967295", "--speed=30", "--scale=8", "--gdb=0", "--boot", "--load-state=0"}, ParseResult::Run,
         "boot frames=4294967295 shot= speed=1 scale=8! gdb=0 load=0 set=@-1"},
        {{"--gdb", "65535"}, ParseResult::Run, "frames=0 shot= speed=-1 scale=1 gdb=65535 load=-1 set=@-1"},
        {{"--fullscreen", s, "--boot"}, ParseResult::Run,
         "boot frames=0 shot= speed=-1 scale=1 gdb=-1 load=-1 full set=" + s + "@1"},
        {{"--script", "a.lua", "--script=b.lua", "--script-timeout", "0.25"}, ParseResult::Run,
         none + " script=a.lua script=b.lua timeout=0.25"},
        {{"--version"}, ParseResult::Version, ""},
        {{"--boot", "--help"}, ParseResult::Help, ""},
        {{"--nope"}, ParseResult::Error, "--nope"},
        {{"--frames"}, ParseResult::Error, "--frames"},
        {{"--frames", "0"}, ParseResult::Error, "'0'"},
        {{"--frames", "+5"}, ParseResult::Error, "'+5'"},
        {{"--frames", "1e3"}, ParseResult::Error, "'1e3'"},
        {{"--frames", "4294967296"}, ParseResult::Error, "'4294967296'"},
        {{"--speed", "45"}, ParseResult::Error, "'45'"},
        {{"--scale", "0"}, ParseResult::Error, "'0'"},
        {{"--scale", "9"}, ParseResult::Error, "'9'"},
        {{"--screenshot", ""}, ParseResult::Error, "--screenshot"},
        {{"--screenshot", "--boot"}, ParseResult::Error, "--screenshot"},
        {{"--boot=1"}, ParseResult::Error, "takes no value"},
        {{"--gdb", "65536"}, ParseResult::Error, "'65536'"},
        {{"--script", ""}, ParseResult::Error, "--script needs a file name"},
        {{"--script-timeout", "0"}, ParseResult::Error, "'0'"},
        {{"--script-timeout", "nan"}, ParseResult::Error, "'nan'"},
        {{"--boot", "--load-state", "8"}, ParseResult::Error, "'8'"},
        {{"--load-state", "3"}, ParseResult::Error, "--load-state needs --boot: a state is loaded into the booted game"},
        {{"/no/such/dir"}, ParseResult::Error,
         "'/no/such/dir' does not exist: give a ROM set's directory, one of its six files or a .zip of them"},
        {{s, "/tmp"}, ParseResult::Error, "one ROM set at most: '" + s + "' and '/tmp' were given"},
        {{"/" + std::string(1022, 'd')}, ParseResult::Error, "1023 characters long; at most 1022"},
    };
    for (const auto& r : rows) {
        LaunchOptions options;
        std::string error;
        const std::string name = r.args.empty() ? "(none)" : r.args.front();
        ASSERT_EQ(parseLaunchOptions(r.args, options, error), r.result) << name << ": " << error;
        if (r.result == ParseResult::Run) EXPECT_EQ(describe(options), r.described);
        if (r.result == ParseResult::Error) EXPECT_NE(error.find(r.described), std::string::npos) << error;
    }
    test_home::isolatedHome().clear();
}

TEST(Options, StartingAgainKeepsTheOptionsAndTakesTheNewDirectory) {
    const struct {
        std::vector<std::string> args, again;
    } rows[] = {
        {{"--scale", "2", "--boot"}, {"--scale", "2", "--boot", "/games/set"}},
        {{"--speed", "30", "/tmp", "--frames=5"}, {"--speed", "30", "--frames=5", "/games/set"}},
    };
    for (const auto& r : rows) {
        LaunchOptions options;
        std::string error;
        ASSERT_EQ(parseLaunchOptions(r.args, options, error), ParseResult::Run) << error;
        EXPECT_EQ(argumentsWithRomSet(r.args, options, "/games/set"), r.again);
    }
}

TEST(Paths, TheDirectoryIsEverythingUpToTheLastSlashAndCopiesStopAt1024) {
    const std::pair<const char*, const char*> dirs[] = {
        {"/boot/apps/X/prog", "/boot/apps/X/"}, {"./bevorel", "./"}, {"/bevorel", "/"}, {"bevorel", "./"}, {"", "./"}};
    for (const auto& [in, out] : dirs) {
        char path[kPathSize];
        std::strcpy(path, in);
        cutToDirectory(path);
        EXPECT_STREQ(path, out) << in;
    }
    for (size_t length : {1023u, 1024u, 5000u}) {
        char path[kPathSize] = "keep";
        const std::string given(length, 'a');
        EXPECT_EQ(copyPath(path, given.c_str()), length < 1024) << length;
        EXPECT_EQ(std::string(path), length < 1024 ? given : "keep");
    }
    char path[kPathSize] = "keep";
    EXPECT_FALSE(copyPath(path, nullptr));
}

TEST(FrameRate, WholeMicrosecondsPerFrameThenTheRate) {
    const struct {
        int64_t time;
        uint32_t frames;
        std::string report;
        int figure;
    } rows[] = {
        {10'000'000, 600, "Average fps : 60.002400\n", 60},  // 16666 us a frame
        {10'000'000, 599, "Average fps : 59.901761\n", 59},  // 16694 us a frame
        {10'000'000, 0, "", 0},
        {1'000'000, 1'000'000, "Average fps : 1000000.000000\n", 1'000'000},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(fpsReport(r.time, r.frames), r.report);
        EXPECT_EQ(fpsFigure(r.time, r.frames), r.figure) << r.report;
    }
    EXPECT_TRUE(std::isinf(averageFps(5, 10))) << "frames under a microsecond";
    EXPECT_EQ(fpsFigure(5, 10), INT32_MAX);
}

TEST(Screenshots, NamedAfterTheMomentInLocalTimeWithWidenedColours) {
    Environment env;
    const struct {
        const char* tz;
        time_t when;
        const char* name;
    } names[] = {{"UTC0", 0, "bevorel-19700101-000000.png"}, {"CET-1", 1735689599, "bevorel-20250101-005959.png"}};
    for (const auto& n : names) {
        env.set("TZ", n.tz);
        tzset();
        EXPECT_EQ(screenshotName(n.when), n.name);
    }
    env.set("TZ", nullptr);
    tzset();
    const struct {
        uint16_t pixel;
        std::vector<int> rgb;
    } colours[] = {{0xFC00, {255, 0, 0}}, {0x0210, {0, 132, 132}}};
    for (const auto& c : colours) {
        uint8_t rgb[3];
        rgb15ToRgb8(c.pixel, rgb);
        EXPECT_EQ(std::vector<int>(rgb, rgb + 3), c.rgb) << std::hex << c.pixel;
    }
}

// Screenshots make their directory and never replace a file; --screenshot
// FILE replaces only a regular file, never a FIFO (that would wait for a
// reader). Every refusal says why and leaves no file.
TEST(Screenshots, NeverReplaceAFileAndRefusalsSayWhyAndLeaveNoFile) {
    test_home::isolatedHome().clear();
    const fs::path pictures = test_home::isolatedHome().pictures(), dir = pictures / "shots";
    const std::string stem = dir / screenshotName(1000000000).substr(0, screenshotName(0).size() - 4);
    std::string path, error;
    EXPECT_FALSE(saveScreenshot(DrawnPicture{}, dir.string(), 0, path, error));
    EXPECT_EQ(error, "no frame was presented");
    EXPECT_FALSE(fs::exists(pictures));
    for (const char* suffix : {"", "-2", "-4"}) {
        if (std::string(suffix) == "-4") std::ofstream(stem + "-3.png") << "someone else's";
        ASSERT_TRUE(saveScreenshot(aPicture(), dir.string(), 1000000000, path, error)) << error;
        EXPECT_EQ(path, stem + suffix + ".png");
        EXPECT_EQ(fileText(path).substr(0, 8), kPng);
    }
    EXPECT_EQ(fileText(stem + "-3.png"), "someone else's");
    std::ofstream(pictures / "file") << "a file where the directory should be";
    EXPECT_FALSE(saveScreenshot(aPicture(), (pictures / "file").string(), 0, path, error));
    EXPECT_EQ(error, (pictures / "file").string() + " is not a directory");
    fs::create_directories(pictures / "a directory");
    if (geteuid() != 0) {  // root writes anywhere
        fs::permissions(pictures / "a directory", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(saveScreenshot(aPicture(), (pictures / "a directory").string(), 0, path, error));
        EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
        fs::permissions(pictures / "a directory", fs::perms::owner_all);
    }
    ASSERT_EQ(mkfifo((pictures / "fifo").c_str(), 0600), 0);
    const struct {
        fs::path file;
        std::string error;
    } cases[] = {
        {pictures / "fifo", (pictures / "fifo").string() + " is not a regular file"},
        {pictures / "a directory", (pictures / "a directory").string() + " is not a regular file"},
        {pictures / "none" / "x.png", "cannot write " + (pictures / "none" / "x.png").string() + ": No such file or directory"},
        {pictures / "file", ""},
    };
    for (const auto& c : cases) {
        error.clear();
        EXPECT_EQ(writePicturePng(aPicture(), c.file.string(), error), c.error.empty()) << c.file;
        EXPECT_EQ(error, c.error);
    }
    EXPECT_FALSE(writePicturePng(DrawnPicture{}, (pictures / "x.png").string(), error));
    EXPECT_EQ(fileText(pictures / "file").substr(0, 8), kPng);
    EXPECT_EQ(std::distance(fs::directory_iterator(pictures), fs::directory_iterator{}), 4) << "nothing else made";
    EXPECT_TRUE(fs::is_empty(pictures / "a directory"));
}

// --symbols FILE reads a regular file only, never waiting on a FIFO; every
// refusal names the file and says why.
TEST(SymbolFiles, OnlyARegularFileIsReadAndEveryRefusalSaysWhy) {
    const TempDir dir;
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir / "directory");
    fs::create_symlink("loop", dir / "loop");
    std::ofstream(dir / "map") << "10 a\n20 b\n";
    const struct {
        std::string file, error;
    } cases[] = {
        {dir / "fifo", dir / "fifo" + " is not a regular file"},
        {dir / "directory", dir / "directory" + " is not a regular file"},
        {dir / "none", "cannot open " + dir / "none" + ": " + std::strerror(ENOENT)},
        {dir / "loop", "cannot open " + dir / "loop" + ": " + std::strerror(ELOOP)},
        {dir / "map", ""},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto symbols = readSymbolFile(c.file, error);
        EXPECT_EQ(symbols != nullptr, c.error.empty()) << c.file;
        EXPECT_EQ(error, c.error);
        if (symbols) EXPECT_EQ(symbols->size(), 2u);
    }
}

TEST(Restart, TheProgramsOwnFileStartsAgainWithTheNewArguments) {
    // This test program, started again in a child with arguments that make it
    // list one test: what it prints comes back through a pipe.
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        restartProgram("app_tests", {"--gtest_list_tests", "--gtest_filter=Restart.*"});
        _exit(99);  // not reached unless execv failed
    }
    close(out[1]);
    std::string listed;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) listed.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(listed.find("\nRestart.\n  TheProgramsOwnFileStartsAgainWithTheNewArguments\n"), std::string::npos)
        << listed;
}
