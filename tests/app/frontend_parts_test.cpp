// The front end's parts on their own: the title bar's text, the hotkeys'
// table, screenshot files and where they go, and the options --fullscreen
// and DIR with the arguments of a restart.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "hotkeys.h"
#include "isolated_home.h"
#include "launch_options.h"
#include "menus.h"
#include "restart.h"
#include "scoped_environment.h"
#include "screenshot.h"
#include "screenshot_files.h"
#include "window_title.h"
#include "xdg_dirs.h"

namespace fs = std::filesystem;

namespace {

TitleStatus running(Speed speed = Speed::Fps60) {
    TitleStatus status;
    status.running = true;
    status.speed = speed;
    return status;
}

DrawnPicture aPicture() {
    DrawnPicture picture;
    picture.width = 256;
    picture.height = 224;
    picture.bytesPerRow = 512;
    picture.pixels.assign(512 * 224, 0x1F);
    picture.serial = 1;
    return picture;
}

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(Title, SaysWhatTheGameDoesWhenItIsNotJustRunningAt60) {
    EXPECT_EQ(statusTitle(TitleStatus{}), "BePellmora v0.80");
    EXPECT_EQ(statusTitle(running()), "BePellmora v0.80");
    TitleStatus status = running();
    status.paused = true;
    EXPECT_EQ(statusTitle(status), "BePellmora v0.80 - Paused");
    status.debug = true;
    EXPECT_EQ(statusTitle(status), "BePellmora v0.80 - Paused - Debug");
    status.paused = false;
    status.measuredFps = 12;  // not shown in the monitor
    EXPECT_EQ(statusTitle(status), "BePellmora v0.80 - Debug");
    TitleStatus idle;  // the pause flag means nothing before a boot; the monitor does
    idle.paused = idle.debug = true;
    EXPECT_EQ(statusTitle(idle), "BePellmora v0.80 - Debug");
    status.notice = idle.notice = "Saved slot 3";  // for a while, over the rest
    EXPECT_EQ(statusTitle(status), "BePellmora v0.80 - Saved slot 3");
    EXPECT_EQ(statusTitle(idle), "BePellmora v0.80 - Saved slot 3");
}

TEST(Title, ShowsTheSpeedChosenUntilItIsMeasuredThenTheMeasure) {
    EXPECT_EQ(statusTitle(running(Speed::Fps30)), "BePellmora v0.80 - 30 fps");
    EXPECT_EQ(statusTitle(running(Speed::Unlimited)), "BePellmora v0.80 - Unlimited");
    TitleStatus turbo = running();
    turbo.turbo = true;
    EXPECT_EQ(statusTitle(turbo), "BePellmora v0.80 - Unlimited");
    turbo.measuredFps = 4210;
    EXPECT_EQ(statusTitle(turbo), "BePellmora v0.80 - 4210 fps");
    TitleStatus slow = running();
    for (int fps : {59, 60, 61}) {
        slow.measuredFps = fps;
        EXPECT_EQ(statusTitle(slow), "BePellmora v0.80") << fps;
    }
    slow.measuredFps = 58;
    EXPECT_EQ(statusTitle(slow), "BePellmora v0.80 - 58 fps") << "a computer too slow for 60";
    slow.measuredFps = 62;
    EXPECT_EQ(statusTitle(slow), "BePellmora v0.80 - 62 fps");
    TitleStatus stopped = running(Speed::Fps30);
    stopped.running = false;  // free ROM: nothing runs
    EXPECT_EQ(statusTitle(stopped), "BePellmora v0.80");
}

TEST(Hotkeys, EachKeyWithItsModifiersDoesOneThing) {
    std::set<std::pair<uint32_t, uint32_t>> seen;
    for (const Hotkey& key : hotkeys()) {
        EXPECT_TRUE(seen.insert({key.key, key.modifiers}).second) << "key 0x" << std::hex << key.key << " twice";
        EXPECT_LT(key.key, 128u);
    }
    const auto commandOf = [](uint32_t key, uint32_t modifiers) {
        for (const Hotkey& hotkey : hotkeys())
            if (hotkey.key == key && hotkey.modifiers == modifiers) return hotkey.pressed;
        return 0u;
    };
    // None is a key of the board (arrows, Left Alt, Space, Left Shift, 1 to 5).
    for (uint32_t boardKey : {0x57u, 0x62u, 0x61u, 0x63u, 0x5Du, 0x5Eu, 0x4Bu, 0x12u, 0x13u, 0x14u, 0x15u, 0x16u})
        EXPECT_EQ(commandOf(boardKey, 0), 0u) << std::hex << boardKey;
    EXPECT_EQ(commandOf(0x04, 0), kCmdReset);                  // F3
    EXPECT_EQ(commandOf(0x04, B_SHIFT_KEY), kCmdSaveStateBase + 2);
    EXPECT_EQ(commandOf(0x03, 0), kCmdLoadStateBase + 1);      // F2
    EXPECT_EQ(commandOf(0x30, 0), kCmdPause);                  // P
    EXPECT_EQ(commandOf(0x10, 0), kCmdPause);                  // Pause
    EXPECT_EQ(commandOf(0x0C, 0), kMsgToggleFullScreen);       // F11
    EXPECT_EQ(commandOf(0x47, B_COMMAND_KEY), kMsgToggleFullScreen);  // Alt+Enter
    EXPECT_EQ(commandOf(0x5B, B_COMMAND_KEY), kMsgToggleFullScreen);  // Alt+Enter on the keypad
    EXPECT_EQ(commandOf(0x47, 0), 0u) << "Enter alone answers alerts";
    EXPECT_EQ(commandOf(0x01, 0), kMsgLeaveFullScreen);        // Escape
    EXPECT_EQ(commandOf(0x0D, 0), kMsgScreenshot);             // F12
}

TEST(Screenshots, NamedAfterTheMomentInLocalTime) {
    Environment env;
    env.set("TZ", "UTC0");
    tzset();
    EXPECT_EQ(screenshotName(0), "bevorel-19700101-000000.png");
    EXPECT_EQ(screenshotName(1735689599), "bevorel-20241231-235959.png");
    env.set("TZ", "CET-1");
    tzset();
    EXPECT_EQ(screenshotName(1735689599), "bevorel-20250101-005959.png");
    env.set("TZ", nullptr);
    tzset();
}

TEST(Screenshots, NeverReplaceAFileAndMakeTheirDirectory) {
    test_home::isolatedHome().clear();
    const fs::path dir = test_home::isolatedHome().pictures() / "shots";
    std::string first, second, third, error;
    ASSERT_TRUE(saveScreenshot(aPicture(), dir.string(), 1000000000, first, error)) << error;
    const std::string name = screenshotName(1000000000);
    EXPECT_EQ(first, (dir / name).string());
    ASSERT_TRUE(saveScreenshot(aPicture(), dir.string(), 1000000000, second, error)) << error;
    EXPECT_EQ(second, (dir / (name.substr(0, name.size() - 4) + "-2.png")).string());
    std::ofstream(dir / (name.substr(0, name.size() - 4) + "-3.png")) << "someone else's";
    ASSERT_TRUE(saveScreenshot(aPicture(), dir.string(), 1000000000, third, error)) << error;
    EXPECT_EQ(third, (dir / (name.substr(0, name.size() - 4) + "-4.png")).string());
    EXPECT_EQ(bytesOf(dir / (name.substr(0, name.size() - 4) + "-3.png")), "someone else's");
    EXPECT_EQ(bytesOf(first).substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(bytesOf(first), bytesOf(third));
}

TEST(Screenshots, RefusalsSayWhyAndLeaveNoFile) {
    test_home::isolatedHome().clear();
    const fs::path pictures = test_home::isolatedHome().pictures();
    std::string path, error;
    EXPECT_FALSE(saveScreenshot(DrawnPicture{}, pictures.string(), 0, path, error));
    EXPECT_EQ(error, "no frame was presented");
    EXPECT_FALSE(fs::exists(pictures));
    fs::create_directories(pictures.parent_path());
    std::ofstream(pictures) << "a file where the directory should be";
    EXPECT_FALSE(saveScreenshot(aPicture(), pictures.string(), 0, path, error));
    EXPECT_NE(error.find("is not a directory"), std::string::npos) << error;
    fs::remove(pictures);
    if (geteuid() != 0) {  // root writes anywhere
        fs::create_directories(pictures);
        fs::permissions(pictures, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(saveScreenshot(aPicture(), pictures.string(), 0, path, error));
        EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
        fs::permissions(pictures, fs::perms::owner_all);
        EXPECT_TRUE(fs::is_empty(pictures));
    }
}

// --screenshot FILE: a regular file or a new one in a directory that is
// there, replaced whole; never a FIFO (that would wait for a reader).
TEST(Screenshots, TheQuitsPictureReplacesOnlyARegularFile) {
    test_home::isolatedHome().clear();
    const fs::path dir = test_home::isolatedHome().pictures();
    fs::create_directories(dir / "a directory");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::ofstream(dir / "old.png") << "old";
    const struct {
        std::string file, error;
    } cases[] = {
        {(dir / "fifo").string(), (dir / "fifo").string() + " is not a regular file"},
        {(dir / "a directory").string(), (dir / "a directory").string() + " is not a regular file"},
        {(dir / "none" / "x.png").string(), "cannot write " + (dir / "none" / "x.png").string() + ": No such file or directory"},
        {(dir / "old.png").string(), ""},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(writePicturePng(aPicture(), c.file, error), c.error.empty()) << c.file;
        EXPECT_EQ(error, c.error);
    }
    EXPECT_EQ(bytesOf(dir / "old.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 3) << "nothing else made";
}

TEST(Screenshots, ThePicturesDirectoryFromTheVariableTheUserDirsFileOrTheHome) {
    Environment env;
    test_home::isolatedHome().clear();
    const fs::path config = test_home::isolatedHome().config();
    env.set("HOME", "/home/player");
    env.set("XDG_CONFIG_HOME", config.c_str());
    env.set("XDG_PICTURES_DIR", "/srv/pictures");
    EXPECT_EQ(xdgPicturesDir(), "/srv/pictures");
    env.set("XDG_PICTURES_DIR", "relative");  // not valid: ignored
    EXPECT_EQ(xdgPicturesDir(), "/home/player/Pictures");
    env.set("XDG_PICTURES_DIR", nullptr);
    fs::create_directories(config);
    std::ofstream(config / "user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                "XDG_PICTURES_DIR=\"$HOME/Bilder/\"\n";
    EXPECT_EQ(xdgPicturesDir(), "/home/player/Bilder");
    std::ofstream(config / "user-dirs.dirs") << "  XDG_PICTURES_DIR=\"/data/photos\"\n";
    EXPECT_EQ(xdgPicturesDir(), "/data/photos");
    std::ofstream(config / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"Pictures\"\nXDG_PICTURES_DIR=\"$HOMEX/p\"\n";
    EXPECT_EQ(xdgPicturesDir(), "/home/player/Pictures") << "neither form is valid";
    test_home::isolatedHome().clear();
}

TEST(Options, FullScreenAndTheRomSetDirectory) {
    const fs::path set = test_home::isolatedHome().data() / "my set";
    fs::create_directories(set);
    LaunchOptions options;
    std::string error;
    ASSERT_EQ(parseLaunchOptions({"--fullscreen", set.string(), "--boot"}, options, error), ParseResult::Run) << error;
    EXPECT_TRUE(options.fullScreen);
    EXPECT_EQ(options.romSet, set.string());
    EXPECT_EQ(options.romSetArgument, 1);
    EXPECT_TRUE(options.boot);

    const auto refused = [](std::vector<std::string> args) {
        LaunchOptions o;
        std::string message;
        EXPECT_EQ(parseLaunchOptions(args, o, message), ParseResult::Error) << args.back();
        return message;
    };
    EXPECT_EQ(refused({"/no/such/dir"}),
              "'/no/such/dir' does not exist: give a ROM set's directory, one of its six files or a .zip of them");
    EXPECT_EQ(refused({set.string(), "/tmp"}), "one ROM set at most: '" + set.string() + "' and '/tmp' were given");
    EXPECT_NE(refused({"/" + std::string(1022, 'd')}).find("1023 characters long; at most 1022"), std::string::npos);
    EXPECT_NE(refused({"--fullscreen=yes"}).find("takes no value"), std::string::npos);
    EXPECT_NE(refused({""}).find("does not exist"), std::string::npos);
    test_home::isolatedHome().clear();
}

TEST(Options, StartingAgainKeepsTheOptionsAndTakesTheNewDirectory) {
    LaunchOptions options;
    std::string error;
    const std::vector<std::string> plain = {"--scale", "2", "--boot"};
    ASSERT_EQ(parseLaunchOptions(plain, options, error), ParseResult::Run);
    EXPECT_EQ(argumentsWithRomSet(plain, options, "/games/set"),
              (std::vector<std::string>{"--scale", "2", "--boot", "/games/set"}));
    const std::vector<std::string> withSet = {"--speed", "30", "/tmp", "--frames=5"};
    ASSERT_EQ(parseLaunchOptions(withSet, options, error), ParseResult::Run) << error;
    EXPECT_EQ(argumentsWithRomSet(withSet, options, "/games/set"),
              (std::vector<std::string>{"--speed", "30", "--frames=5", "/games/set"}));
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
