// A slot the window cannot use: a save cut short keeps what the slot held and
// leaves no temporary file; a file over the window's limit is refused unread.
// A movie's file cut short says what it kept, and the recording stops.
// A load brings back the speed the state was saved at; the frame counts of
// the quit report carry on over the restarts around saves and loads.
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "file_text.h"
#include "shell_fixture.h"
#include "state_slots.h"
#include "xdg_dirs.h"

namespace fs = std::filesystem;

namespace {

// What sending `code` printed.
std::string printed(TestWindow& window, uint32_t code) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    window.Send(code);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST_F(ShellTest, AFailedWriteKeepsTheSlotAndAFileTooLargeIsRefused) {
    window->Send(kCmdBoot);
    window->Send(kCmdSpeed30);
    ASSERT_TRUE(WaitForFrames(1));
    const int64_t start = cpuTimeStart;  // written before the frame
    const std::string path = slotPath(fake.hash, 6);
    ASSERT_EQ(printed(*window, kCmdSaveStateBase + 6), "State saved in slot 6: " + path + "\n");
    const std::string before = fileText(path);
    // A file size limit cuts the next write short, as a full disk would.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{4096, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string out = printed(*window, kCmdSaveStateBase + 6);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(out, "Cannot save slot 6: cannot write " + path + ": File too large; the slot keeps what it held.\n");
    EXPECT_EQ(fileText(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(stateDirectory()), {}), 1) << "a temporary file was left";
    EXPECT_TRUE(tmpMenu->ItemAt(6)->IsMarked() && tmpMenu2->ItemAt(6)->IsMarked());

    std::string huge = before;
    huge.resize(3 << 20);
    std::ofstream(path, std::ios::binary) << huge;
    EXPECT_EQ(printed(*window, kCmdLoadStateBase + 6), "Cannot load slot 6: " + path + " is too large (3145728 bytes).\n");
    EXPECT_EQ(fake.restores.load(), 0);

    std::ofstream(path, std::ios::binary) << before;
    window->Send(kCmdSpeedUnlimited);
    EXPECT_EQ(printed(*window, kCmdLoadStateBase + 6), "State loaded from slot 6: " + path + "\n");
    EXPECT_EQ(newSnoozeTime.load(), framePeriod(Speed::Fps30));
    window->Send(kCmdFreeRom);  // joined: its writes are visible here
    EXPECT_EQ(cpuTimeStart, start);
}

TEST_F(ShellTest, ARecordingThatCannotBeWrittenSaysWhatItKeptAndStops) {
    window->Send(kCmdBoot);
    window->Send(kCmdSpeedUnlimited);
    const std::string path = xdgDataHome() + "/bevorel/movies/0123456789abcdef.bvmovie";
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{300, saved.rlim_max};  // the header and a block of frames, not two
    setrlimit(RLIMIT_FSIZE, &limit);
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    window->Send(kCmdRecordFromPowerOn);
    const bool stopped = eventually([&] { return window->MovieFailed(); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    window->Send(kCmdStopMovie);
    std::fflush(stdout);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Recording a movie from power-on to " + path +
                                                          "\nMovie not saved after frame 60: cannot write " + path +
                                                          ": File too large; the recording has stopped.\n");
}
