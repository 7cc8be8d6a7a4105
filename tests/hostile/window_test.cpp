// The real main window on the demo ROM set, with the real board, driven from
// a test. Random sequences of menu commands, each window ending with Quit: no
// deadlock (a watchdog ends the process if a sync does not come back), no
// crash; the emulation thread ends with its window, and a running game
// presents frames (HOSTILE_MENU_SEQUENCES and HOSTILE_MONITOR_SEQUENCES change
// the counts). What each command does, alone and after others, is the shell's
// tests'.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "board.h"
#include "file_text.h"
#include "hostile_support.h"
#include "isolated_home.h"
#include "window_harness.h"

using namespace hostile;

namespace {

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

const uint32_t kCommands[] = {kCmdBoot, kMsgLoadRom, kMsgLoadRom, kCmdReset, kCmdServiceMode, kCmdPause, kCmdDebug,
                               kCmdSpeed30, kCmdSpeed60, kCmdSpeedUnlimited, kCmdFreeRom, kCmdSaveStateBase,
                               kCmdLoadStateBase};

// Posts a random command; returns whether it is a boot by a path too long.
bool post(SyncWindow* window, std::mt19937& random) {
    const size_t command = random() % std::size(kCommands);
    BMessage message(kCommands[command] + (command >= 11 ? random() % 8 : 0));  // a state slot
    if (command == 1) message.AddString("path", "/games/pellmora/PELLMORA.2A");
    if (command == 2) message.AddString("path", ("/" + std::string(1023 + random() % 3000, 'p')).c_str());
    window->PostMessage(&message);
    return command == 2;
}

// The emulation thread lives with its window; once it runs a booted game it
// presents frames, unless paused or held in the monitor.
void expectRunning(SyncWindow* window, bool monitorWaits, bool lookAtFrames) {
    window->Lock();
    thread_info info;
    const bool known = get_thread_info(window->fCpuThread, &info) == B_OK;
    const bool presents = romPath[0] && !wpaused && !(debugOn && monitorWaits);
    window->Unlock();
    ASSERT_TRUE(known) << "no emulation thread";
    if (!lookAtFrames || info.state == B_THREAD_SUSPENDED || !presents) return;
    const std::atomic<uint32_t>& presented = window->fEmulation.framesPresented;
    const uint32_t before = presented.load();
    for (const double deadline = secondsNow() + 60; presented.load() < before + 2 && secondsNow() < deadline;) snooze(1000);
    EXPECT_GE(presented.load(), before + 2) << "the game presents no frames";
}

// `sequences` random sequences over windows of `perWindow` each; standard
// input from `input`, or an open, empty pipe when null.
void storm(const char* count, int sequences, int perWindow, const char* input, uint32_t seed) {
    if (const char* text = std::getenv(count); text && std::atoi(text) > 0) sequences = std::atoi(text);
    TempDir work;
    std::mt19937 random(seed);
    test_home::isolatedHome().clear();  // no settings file, no states yet
    size_t windows = 0, refusedPaths = 0;
    std::fflush(stdout);
    int fds[2] = {-1, -1};
    ASSERT_EQ(input ? (fds[0] = open(input, O_RDONLY)) < 0 : pipe(fds) != 0, false);
    const int savedIn = dup(0), savedOut = dup(1), out = open((work.path() / "console").c_str(), O_WRONLY | O_CREAT, 0600);
    dup2(fds[0], 0), dup2(out, 1), close(fds[0]), close(out);
    EXPECT_TRUE(copyPath(execPath, BEVOREL_PROGRAM));
    for (int done = 0; done < sequences && !::testing::Test::HasFailure(); ++windows) {
        resetShellGlobals();
        NextInterrupt = 0;
        boardMachine().setServiceMode(false);
        boardMachine().setSpeed(Speed::Fps60);
        SyncWindow* window = new SyncWindow(boardMachine());
        window->Show();
        EXPECT_TRUE(boardMachine().ready()) << "the demo ROM set beside " << BEVOREL_PROGRAM << " did not load";
        for (int n = 0; n < perWindow && done < sequences && !::testing::Test::HasFailure(); ++n, ++done) {
            SCOPED_TRACE("after sequence " + std::to_string(done));
            Watchdog watchdog(120, "menu sequence " + std::to_string(done));
            for (int i = 0, length = 1 + static_cast<int>(random() % 6); i < length; ++i)
                refusedPaths += post(window, random);
            window->Sync();
            expectRunning(window, !input, random() % 16 == 0);  // frames now and then
        }
        const thread_id emulation = window->fCpuThread;
        Watchdog watchdog(120, "quitting a window");
        window->PostMessage(B_QUIT_REQUESTED);
        wait_for_thread(window->Thread(), nullptr);
        delete window;
        releaseSurface();
        thread_info info;
        EXPECT_EQ(get_thread_info(emulation, &info), B_BAD_THREAD_ID) << "the emulation thread outlived Quit";
    }
    std::fflush(stdout);
    dup2(savedIn, 0), dup2(savedOut, 1), close(savedIn), close(savedOut);
    if (fds[1] >= 0) close(fds[1]);
    const std::string text = fileText(work.path() / "console");
    for (size_t at = text.find(": Failure"); at != std::string::npos; at = text.find(": Failure", at + 1))
        std::fprintf(stderr, "%s\n", text.substr(text.rfind('\n', at) + 1, 600).c_str());  // printed into the console
    EXPECT_EQ(occurrences(text, "Cannot boot: the game's path is 1024 characters or more.\n"), refusedPaths);
    EXPECT_EQ(occurrences(text, "Loading ROMS...Ok.\n"), windows);
}

TEST(MenuStorm, RandomSequencesOnTheDemoWithTheMonitorAtTheEndOfItsInput) {
    storm("HOSTILE_MENU_SEQUENCES", 10000, 500, "/dev/null", 1);
}

// Input an open, empty pipe: with Debug on, the emulation thread waits in the
// monitor, and every Reset, Free ROM or Quit must stop it there.
TEST(MenuStorm, RandomSequencesWhileTheMonitorWaitsForInput) {
    storm("HOSTILE_MONITOR_SEQUENCES", 200, 50, nullptr, 2);
}

}  // namespace
