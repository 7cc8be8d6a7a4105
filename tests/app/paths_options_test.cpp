// The program's directory, path limits, command-line options and the
// screenshot's colours.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "launch_options.h"
#include "paths.h"
#include "screenshot.h"

TEST(Paths, TheDirectoryIsEverythingUpToTheLastSlash) {
    char path[kPathSize];
    std::strcpy(path, "/boot/apps/X/prog");
    cutToDirectory(path);
    EXPECT_STREQ(path, "/boot/apps/X/");
    std::strcpy(path, "./bevorel");
    cutToDirectory(path);
    EXPECT_STREQ(path, "./");
    std::strcpy(path, "/bevorel");
    cutToDirectory(path);
    EXPECT_STREQ(path, "/");
    std::strcpy(path, "bevorel");  // found on the search path
    cutToDirectory(path);
    EXPECT_STREQ(path, "./");
    path[0] = '\0';
    cutToDirectory(path);
    EXPECT_STREQ(path, "./");
}

TEST(Paths, CopiesAreRefusedFrom1024Characters) {
    char path[kPathSize] = "keep";
    EXPECT_FALSE(copyPath(path, std::string(1024, 'a').c_str()));
    EXPECT_STREQ(path, "keep");
    EXPECT_FALSE(copyPath(path, std::string(5000, 'a').c_str()));
    EXPECT_FALSE(copyPath(path, nullptr));
    EXPECT_STREQ(path, "keep");
    const std::string longest(1023, 'b');
    EXPECT_TRUE(copyPath(path, longest.c_str()));
    EXPECT_EQ(std::string(path), longest);
}

namespace {
ParseResult parse(std::vector<std::string> args, LaunchOptions& options, std::string& error) {
    options = LaunchOptions();
    error.clear();
    return parseLaunchOptions(args, options, error);
}
}  // namespace

TEST(Options, NoOptionsMeanTheDefaults) {
    LaunchOptions options;
    std::string error;
    ASSERT_EQ(parse({}, options, error), ParseResult::Run);
    EXPECT_FALSE(options.boot);
    EXPECT_EQ(options.frames, 0u);
    EXPECT_TRUE(options.screenshot.empty());
    EXPECT_FALSE(options.speedGiven);
    EXPECT_EQ(options.scale, 1);
    EXPECT_EQ(options.gdbPort, -1);
    EXPECT_FALSE(options.scaleGiven);
    EXPECT_EQ(options.loadState, -1);
}

TEST(Options, EveryOptionInBothForms) {
    LaunchOptions options;
    std::string error;
    ASSERT_EQ(parse({"--boot", "--frames", "120", "--screenshot", "out.png", "--speed", "unlimited",
                     "--scale", "3", "--gdb", "1234", "--load-state", "7"},
                    options, error),
              ParseResult::Run)
        << error;
    EXPECT_TRUE(options.boot);
    EXPECT_EQ(options.frames, 120u);
    EXPECT_EQ(options.screenshot, "out.png");
    EXPECT_EQ(options.speed, Speed::Unlimited);
    EXPECT_EQ(options.scale, 3);
    EXPECT_EQ(options.gdbPort, 1234);
    EXPECT_TRUE(options.scaleGiven);
    EXPECT_EQ(options.loadState, 7);
    ASSERT_EQ(parse({"--frames=4294967295", "--speed=30", "--scale=8", "--gdb=0", "--boot", "--load-state=0"},
                    options, error),
              ParseResult::Run);
    EXPECT_EQ(options.gdbPort, 0);
    EXPECT_EQ(options.loadState, 0);
    EXPECT_EQ(options.frames, 4294967295u);
    EXPECT_EQ(options.gdbPort, 0);  // any free port
    EXPECT_EQ(options.speed, Speed::Fps30);
    ASSERT_EQ(parse({"--gdb", "65535"}, options, error), ParseResult::Run);
    EXPECT_EQ(options.gdbPort, 65535);
    EXPECT_EQ(parse({"--version"}, options, error), ParseResult::Version);
    EXPECT_EQ(parse({"--boot", "--help"}, options, error), ParseResult::Help);
}

TEST(Options, BadOptionsAndValuesAreNamedInTheError) {
    LaunchOptions options;
    std::string error;
    const std::vector<std::vector<std::string>> bad = {
        {"--nope"}, {"-x"}, {"file.rom"}, {"--frames"}, {"--frames", "0"}, {"--frames", "-1"},
        {"--frames", "1e3"}, {"--frames", "4294967296"}, {"--speed", "45"}, {"--scale", "0"},
        {"--scale", "9"}, {"--scale", "2.5"}, {"--screenshot", ""}, {"--screenshot", "--boot"},
        {"--boot=1"}, {"--gdb"}, {"--gdb", "65536"}, {"--gdb", "-1"}, {"--gdb", "http"}, {"--gdb", "12x"},
        {"--gdb", "127.0.0.1:1234"}, {"--boot", "--load-state", "8"}, {"--boot", "--load-state", "-1"},
        {"--boot", "--load-state", "x"}, {"--boot", "--load-state"}, {"--load-state", "3"}};
    for (const auto& args : bad) {
        EXPECT_EQ(parse(args, options, error), ParseResult::Error) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
    parse({"--speed", "45"}, options, error);
    EXPECT_NE(error.find("'45'"), std::string::npos) << error;
    parse({"--load-state", "3"}, options, error);
    EXPECT_EQ(error, "--load-state needs --boot: a state is loaded into the booted game");
}

TEST(Screenshot, FifteenBitComponentsWidenToEightBits) {
    uint8_t rgb[3];
    rgb15ToRgb8(0x7C00, rgb);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(rgb[2], 0);
    rgb15ToRgb8(0xFFFF, rgb);  // bit 15 ignored
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 255);
    EXPECT_EQ(rgb[2], 255);
    rgb15ToRgb8(0x0210, rgb);  // green 16, blue 16
    EXPECT_EQ(rgb[1], 132);
    EXPECT_EQ(rgb[2], 132);
}

TEST(Screenshot, NothingPresentedWritesNothing) {
    DrawnPicture picture;
    std::string error;
    EXPECT_FALSE(writePicturePng(picture, "/tmp/never-written.png", error));
    EXPECT_NE(error.find("no frame"), std::string::npos);
}
