// The real program, headless: a state it cannot use ends the run at once;
// the settings file's speed holds at start unless --speed says otherwise, and
// a speed given for the run is not written back. (That a loaded state shows
// the frames that followed it is the RetroArch run's, whose state it loads.)
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

namespace {

// A command's exit status and output (standard output and error together).
std::pair<int, std::string> runChild(const std::string& command) {
    ChildProcess child("cd '" + std::filesystem::temp_directory_path().string() + "' && exec " + command,
                       180);  // generous: the sanitizer builds are slow
    const int status = child.wait();
    return {status, child.output};
}

class ProgramStates : public ::testing::Test {
protected:
    void SetUp() override {
        test_home::isolatedHome().clear();
        ASSERT_TRUE(e2e::startBoard(DEMO_ROM_BASE)) << "the demo ROM set did not load from " DEMO_ROM_BASE "Roms/";
    }
    void TearDown() override { e2e::board().setSpeed(Speed::Fps60); }

    // The program's status and output, and the hash of its last frame.
    std::pair<int, std::string> program(const std::string& arguments, bool picture = true) {
        const auto run = runChild("env SDL_VIDEODRIVER=dummy " BEVOREL_PROGRAM " " + arguments +
                                  (picture ? " --screenshot '" + screenshot_.string() + "'" : ""));
        const auto hash = runChild(PNG_FRAME_HASH " '" + screenshot_.string() + "'");
        shown_ = hash.first == 0 ? hash.second.substr(0, hash.second.find('\n')) : "no frame";
        return run;
    }
    // The hash the demo's frame `frames` has at `speed`, as the program prints it.
    static std::string demoFrame(int frames, Speed speed) {
        e2e::powerOn(false);
        e2e::board().setSpeed(speed);
        for (int i = 0; i < frames; ++i) e2e::runFrame();
        char text[24];
        std::snprintf(text, sizeof text, "0x%016" PRIX64, e2e::frameHash());
        return text;
    }

    const std::filesystem::path screenshot_ = test_home::isolatedHome().data().parent_path() / "frame.png";
    std::string shown_;
};

}  // namespace

TEST_F(ProgramStates, AStateItCannotUseEndsTheRunWithOneLineAndStatus1) {
    const std::string path = slotPath(e2e::board().romSetHash(), 2);
    const auto [status, out] = program("--boot --load-state 2 --frames 1000000", false);  // no screenshot to miss
    EXPECT_EQ(status, 1) << out;
    EXPECT_NE(out.find("\nCannot load slot 2: no state was saved there for this ROM set (" + path + ").\n"),
              std::string::npos) << out;
    EXPECT_EQ(out.find("Cannot load"), out.rfind("Cannot load")) << "one line: " << out;
}

TEST_F(ProgramStates, TheSettingsFilesSpeedHoldsAtStartAndARunsSpeedIsNotKept) {
    Settings settings;
    settings.speed = Speed::Fps30;
    std::string error;
    ASSERT_TRUE(writeSettingsFile(settingsPath(), settings, error)) << error;
    const std::string at30 = demoFrame(20, Speed::Fps30), at60 = demoFrame(20, Speed::Fps60);
    ASSERT_NE(at60, at30);
    EXPECT_EQ(program("--boot --frames 20").first, 0);
    EXPECT_EQ(shown_, at30);
    EXPECT_EQ(program("--boot --frames 20 --speed 60").first, 0);
    EXPECT_EQ(shown_, at60);
    EXPECT_EQ(fileText(settingsPath()), formatSettings(settings));
}
