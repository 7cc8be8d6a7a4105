// The real program, headless: a state it cannot use ends the run at once;
// the settings file's speed holds at start unless --speed says otherwise, and
// a speed given for the run is not written back.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>

#include "board_session.h"
#include "child_process.h"
#include "file_text.h"
#include "isolated_home.h"
#include "settings.h"
#include "state_slots.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSeconds = 180;  // generous: the sanitizer builds are slow

// A program's exit status and output (standard output and error together).
struct ChildRun {
    int status;
    std::string out;
};

ChildRun runChild(const std::vector<std::string>& arguments, const std::string& environment) {
    std::string command = "cd '" + fs::temp_directory_path().string() + "' && exec env " + environment;
    for (const std::string& argument : arguments) command += " '" + argument + "'";
    ChildProcess child(command, kSeconds);
    const int status = child.wait();
    return {status, child.output};
}

std::string hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIX64, value);
    return text;
}

class ProgramStates : public ::testing::Test {
protected:
    void SetUp() override {
        test_home::isolatedHome().clear();
        ASSERT_TRUE(e2e::startBoard(DEMO_ROM_BASE)) << "the demo ROM set did not load from " DEMO_ROM_BASE "Roms/";
        screenshot_ = test_home::isolatedHome().data().parent_path() / "frame.png";
    }
    void TearDown() override { e2e::board().setSpeed(Speed::Fps60); }

    // The demo from power-on for `frames` frames at `speed`, with no key.
    static void runDemo(int frames, Speed speed = Speed::Fps60) {
        e2e::powerOn(false);
        e2e::board().setSpeed(speed);
        for (int i = 0; i < frames; ++i) e2e::runFrame();
    }
    ChildRun program(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), BEVOREL_PROGRAM);
        arguments.insert(arguments.end(), {"--screenshot", screenshot_.string()});
        return runChild(arguments, "SDL_VIDEODRIVER=dummy");
    }
    std::string screenshotHash() const {
        const ChildRun run = runChild({PNG_FRAME_HASH, screenshot_.string()}, "");
        EXPECT_EQ(run.status, 0) << run.out;
        return run.out.substr(0, run.out.find('\n'));
    }

    fs::path screenshot_;
};

}  // namespace

// A state it cannot use ends the run with one line and status 1 (each refusal
// is the board's tests' and the application's; that a loaded state shows the
// frames that followed it is the RetroArch run's, whose state the program loads).
TEST_F(ProgramStates, AStateItCannotUseEndsTheRunWithOneLineAndStatus1) {
    const std::string path = slotPath(e2e::board().romSetHash(), 2);
    const ChildRun run = program({"--boot", "--load-state", "2", "--frames", "1000000"});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("\nCannot load slot 2: no state was saved there for this ROM set (" + path + ").\n"),
              std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Cannot load"), run.out.rfind("Cannot load")) << "one line: " << run.out;
}

TEST_F(ProgramStates, TheSettingsFilesSpeedHoldsAtStartAndARunsSpeedIsNotKept) {
    Settings settings;
    settings.speed = Speed::Fps30;
    std::string error;
    ASSERT_TRUE(writeSettingsFile(settingsPath(), settings, error)) << error;
    const std::string written = formatSettings(settings);

    runDemo(20, Speed::Fps30);
    const uint64_t at30 = e2e::frameHash();
    ChildRun run = program({"--boot", "--frames", "20"});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(screenshotHash(), hex(at30));

    runDemo(20);
    const uint64_t at60 = e2e::frameHash();
    ASSERT_NE(at60, at30);
    run = program({"--boot", "--frames", "20", "--speed", "60"});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(screenshotHash(), hex(at60));
    EXPECT_EQ(fileText(settingsPath()), written);
}
