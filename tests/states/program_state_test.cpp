// The real program, headless, with save states and settings: the frames it
// shows after --load-state are the ones a run of the board that never saved
// shows; states it cannot use end the run at once with one line and status
// 1; the settings file's speed holds at start unless --speed says otherwise,
// and a speed given for the run is not written back.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>

#include "atomic_file.h"
#include "board_session.h"
#include "child_process.h"
#include "file_text.h"
#include "isolated_home.h"
#include "save_state.h"
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

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
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
    // Writes the board's state as slot `slot` of the loaded ROM set, as the
    // program would.
    static void saveSlot(int slot) {
        BoardState state;
        e2e::board().capture(state);
        const std::vector<uint8_t> image = encodeState(state, e2e::board().romSetHash());
        std::string error;
        ASSERT_TRUE(writeFileAtomically(slotPath(e2e::board().romSetHash(), slot), image.data(), image.size(), error))
            << error;
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

TEST_F(ProgramStates, AfterLoadStateTheProgramShowsTheFramesThatFollowedTheState) {
    runDemo(90);
    saveSlot(3);
    for (int i = 0; i < 40; ++i) e2e::runFrame();
    const uint64_t expected = e2e::frameHash();  // frame 130, never saved in between

    const ChildRun run = program({"--boot", "--load-state", "3", "--frames", "40"});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("State loaded from slot 3: " + slotPath(e2e::board().romSetHash(), 3) + "\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(screenshotHash(), hex(expected));
}

// One state missing, one the image refuses (each refusal of the image is the
// board's tests'): either ends the run.
TEST_F(ProgramStates, AStateItCannotUseEndsTheRunWithOneLineAndStatus1) {
    runDemo(10);
    const std::string path = slotPath(e2e::board().romSetHash(), 2);
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"nothing saved", [] {}, "Cannot load slot 2: no state was saved there for this ROM set (" + path + ")."},
        {"damaged", [&] {
             saveSlot(2);
             std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
             file.seekp(1000);
             file.put('\x77');
         },
         "Cannot load slot 2: " + path + " is damaged: the CRC-32 of its body is "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(path);
        c.make();
        const ChildRun run = program({"--boot", "--load-state", "2", "--frames", "1000000"});
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_NE(run.out.find("\n" + c.line), std::string::npos) << run.out;
        EXPECT_EQ(count(run.out, "Cannot load"), 1u) << run.out;
        EXPECT_EQ(run.out.find("State loaded"), std::string::npos) << run.out;
    }
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
