// The real main window on the demo ROM set, with the real board, driven from
// a test. Random sequences of menu commands, each window ending with Quit: no
// deadlock (a watchdog ends the process if a sync does not come back), no
// crash; after every sequence the window's state is what the commands posted
// so far make it, and a running game presents frames
// (HOSTILE_MENU_SEQUENCES and HOSTILE_MONITOR_SEQUENCES change the counts).
// What each command does on its own is the shell's tests'.
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

// What the commands posted so far make of the window, as the README describes them.
struct Model {
    bool booted = false, running = false, paused = false, debug = false, service = false;
    Speed speed = Speed::Fps60;
    bool slotSaved[8] = {}, slotService[8] = {};  // what each state slot holds
    Speed slotSpeed[8] = {};
    size_t refusedPaths = 0, refusedStates = 0;
};

enum Command { Boot, BootByPath, BootByLongPath, Reset, ServiceMode, Pause, Debug, Speed30, Speed60, SpeedUnlimited,
               FreeRom, StateSlot, kCommands };

void post(SyncWindow* window, Command command, std::mt19937& random, Model& m) {
    static const uint32_t kCodes[] = {kCmdBoot, kMsgLoadRom, kMsgLoadRom, kCmdReset, kCmdServiceMode, kCmdPause,
                                      kCmdDebug, kCmdSpeed30, kCmdSpeed60, kCmdSpeedUnlimited, kCmdFreeRom, 0};
    static const Speed kSpeeds[] = {Speed::Fps30, Speed::Fps60, Speed::Unlimited};
    BMessage message(kCodes[command]);
    const uint32_t slot = random() % 8;
    const bool load = random() % 2;
    switch (command) {
        case BootByPath: message.AddString("path", "/games/pellmora/PELLMORA.2A"); [[fallthrough]];
        case Boot: m.booted = m.running = true; break;
        case BootByLongPath:
            message.AddString("path", ("/" + std::string(1023 + random() % 3000, 'p')).c_str());
            ++m.refusedPaths;
            break;
        case Reset: m.running |= m.booted; break;
        case ServiceMode: m.service = !m.service, m.running |= m.booted; break;
        case Pause: m.paused ^= m.booted; break;
        case Debug: m.debug = !m.debug; break;
        case Speed30: case Speed60: case SpeedUnlimited: m.speed = kSpeeds[command - Speed30]; break;
        case FreeRom: m.running &= !m.booted; break;
        case StateSlot:  // refused until booted or from an empty slot; a load restarts with the state's speed
            message.what = (load ? kCmdLoadStateBase : kCmdSaveStateBase) + slot;
            if (!m.booted || (load && !m.slotSaved[slot])) ++m.refusedStates;
            else if (load) m.speed = m.slotSpeed[slot], m.service = m.slotService[slot], m.running = true;
            else m.slotSaved[slot] = true, m.slotSpeed[slot] = m.speed, m.slotService[slot] = m.service;
            break;
        case kCommands: break;
    }
    window->PostMessage(&message);
}

void expectState(SyncWindow* window, const Model& m) {
    window->Lock();
    EXPECT_EQ(std::tuple(romPath[0] != '\0', romInfoItem->IsEnabled(), wpaused != 0, debugOn != 0, testMode != 0),
              std::tuple(m.booted, m.booted, m.paused, m.debug, m.service));
    EXPECT_EQ(std::pair(cpucycles_by_frame.load(), newSnoozeTime.load()),
              std::pair(cyclesPerFrame(m.speed), framePeriod(m.speed)));
    for (int slot = 0; slot < 8 && m.booted; ++slot)
        EXPECT_TRUE(tmpMenu->ItemAt(slot)->IsMarked() == m.slotSaved[slot] &&
                    tmpMenu2->ItemAt(slot)->IsMarked() == m.slotSaved[slot]) << "slot " << slot;
    thread_info info;
    const bool known = get_thread_info(window->fCpuThread, &info) == B_OK;
    window->Unlock();
    ASSERT_TRUE(known) << "no emulation thread";
    EXPECT_EQ(info.state == B_THREAD_SUSPENDED, !m.running);
}

// `sequences` random sequences over windows of `perWindow` each; standard
// input from `input`, or an open, empty pipe when null.
void storm(const char* count, int sequences, int perWindow, const char* input, uint32_t seed) {
    if (const char* text = std::getenv(count); text && std::atoi(text) > 0) sequences = std::atoi(text);
    TempDir work;
    std::mt19937 random(seed);
    test_home::isolatedHome().clear();  // no settings file, no states yet
    Model m;
    size_t windows = 0;
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
        m.booted = m.running = m.paused = m.debug = m.service = false;  // a new window starts from the files
        for (int n = 0; n < perWindow && done < sequences && !::testing::Test::HasFailure(); ++n, ++done) {
            SCOPED_TRACE("after sequence " + std::to_string(done));
            Watchdog watchdog(120, "menu sequence " + std::to_string(done));
            for (int i = 0, length = 1 + static_cast<int>(random() % 6); i < length; ++i)
                post(window, static_cast<Command>(random() % kCommands), random, m);
            window->Sync();
            expectState(window, m);
            if (m.running && !m.paused && !(m.debug && !input) && random() % 16 == 0) {  // now and then
                const std::atomic<uint32_t>& presented = window->fEmulation.framesPresented;
                const uint32_t before = presented.load();
                const double deadline = secondsNow() + 60;
                while (presented.load() < before + 2 && secondsNow() < deadline) snooze(1000);
                EXPECT_GE(presented.load(), before + 2) << "the game presents no frames";
            }
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
    EXPECT_EQ(occurrences(text, "Cannot boot: the game's path is 1024 characters or more.\n"), m.refusedPaths);
    EXPECT_EQ(occurrences(text, "Loading ROMS...Ok.\n"), windows);
    EXPECT_EQ(occurrences(text, "Cannot load slot ") + occurrences(text, "Cannot save slot "), m.refusedStates);
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
