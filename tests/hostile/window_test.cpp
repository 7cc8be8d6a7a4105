// The real main window on the demo ROM set, with the real board, driven from
// a test. Random sequences of menu commands, each window ending with Quit: no
// deadlock (a watchdog ends the process if a sync does not come back), no
// crash; after every sequence the window's state is what the commands posted
// so far make it, and a running game presents frames
// (HOSTILE_MENU_SEQUENCES and HOSTILE_MONITOR_SEQUENCES change the counts).
// And the console monitor in the window: it holds the game at its prompt,
// Debug switched off releases it, and quitting while it waits ends the
// prompt's line before the frame-rate report.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "board.h"
#include "hostile_support.h"
#include "isolated_home.h"
#include "window_harness.h"

using namespace hostile;

namespace {

// Waits up to `seconds` for pred(); false when it never held.
template <class Pred>
bool within(double seconds, Pred pred) {
    for (const double deadline = secondsNow() + seconds; !pred();)
        if (secondsNow() > deadline) return false;
        else snooze(1000);
    return true;
}

// A shown window in the state of a program just started.
SyncWindow* startWindow() {
    EXPECT_TRUE(copyPath(execPath, BEVOREL_PROGRAM));
    resetShellGlobals();
    NextInterrupt = 0;
    boardMachine().setServiceMode(false);
    boardMachine().setSpeed(Speed::Fps60);
    SyncWindow* window = new SyncWindow(boardMachine());
    window->Show();
    EXPECT_TRUE(boardMachine().ready()) << "the demo ROM set beside " << BEVOREL_PROGRAM << " did not load";
    return window;
}

void quitWindow(SyncWindow* window) {
    Watchdog watchdog(120, "quitting a window");
    window->PostMessage(B_QUIT_REQUESTED);
    wait_for_thread(window->Thread(), nullptr);
    delete window;
    releaseSurface();
}

// Standard input from `inputPath` (an open, empty pipe when null) and
// output into `output` while it lives.
class Console {
public:
    Console(const char* inputPath, fs::path output) : output_(std::move(output)) {
        std::fflush(stdout);
        int fds[2] = {-1, -1};
        if (inputPath ? (fds[0] = open(inputPath, O_RDONLY)) < 0 : pipe(fds) != 0) ADD_FAILURE() << "no input";
        const int out = open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        savedIn_ = dup(0), savedOut_ = dup(1), writer_ = fds[1];
        dup2(fds[0], 0), dup2(out, 1), close(fds[0]), close(out);
    }
    ~Console() {
        std::fflush(stdout);
        dup2(savedIn_, 0), dup2(savedOut_, 1), close(savedIn_), close(savedOut_);
        if (writer_ >= 0) close(writer_);
    }
    void feed(const std::string& bytes) { EXPECT_EQ(write(writer_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    std::string text() const {
        std::fflush(stdout);
        std::ifstream in(output_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    fs::path output_;
    int savedIn_, savedOut_, writer_;
};

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// What the commands posted so far make of the window, as the README describes them.
struct Model {
    bool booted = false, running = false, paused = false, debug = false, service = false;
    Speed speed = Speed::Fps60;
    uint8_t controller = 0;
    uint8_t keys[4] = {0x3D, 0x3E, 0x27, 0x50};
    bool slotSaved[8] = {}, slotService[8] = {};  // what each state slot holds
    Speed slotSpeed[8] = {};
    size_t refusedPaths = 0, refusedStates = 0;
    // A new window starts from the files: the settings and the states saved.
    void nextWindow() { booted = running = paused = debug = service = false; }
};

enum Command { Boot, BootByPath, BootByLongPath, Reset, ServiceMode, Pause, Debug, Speed30, Speed60, SpeedUnlimited,
               FreeRom, Keyboard, Joystick, KeyChoice, StateSlot, NoSuchKey, kCommands };

void post(SyncWindow* window, Command command, std::mt19937& random, Model& m) {
    static const uint32_t kCodes[] = {kCmdBoot, kMsgLoadRom, kMsgLoadRom, kCmdReset, kCmdServiceMode, kCmdPause,
                                      kCmdDebug, kCmdSpeed30, kCmdSpeed60, kCmdSpeedUnlimited, kCmdFreeRom,
                                      kCmdKeyboard, kCmdJoystick};
    BMessage message(command < KeyChoice ? kCodes[command] : 0);
    const uint32_t slot = random() % 8, function = random() % 4, position = random() % kKeyCount;
    const bool load = random() % 2;
    switch (command) {
        case Boot: m.booted = m.running = true; break;
        case BootByPath:
            message.AddString("path", "/games/pellmora/PELLMORA.2A");
            m.booted = m.running = true;
            break;
        case BootByLongPath:
            message.AddString("path", ("/" + std::string(1023 + random() % 3000, 'p')).c_str());
            ++m.refusedPaths;
            break;
        case Reset: m.running |= m.booted; break;
        case ServiceMode: m.service = !m.service, m.running |= m.booted; break;
        case Pause: m.paused ^= m.booted; break;
        case Debug: m.debug = !m.debug; break;
        case Speed30: m.speed = Speed::Fps30; break;
        case Speed60: m.speed = Speed::Fps60; break;
        case SpeedUnlimited: m.speed = Speed::Unlimited; break;
        case FreeRom: m.running &= !m.booted; break;
        case Keyboard:
        case Joystick: m.controller = command == Joystick; break;
        case KeyChoice:
            message.what = kCmdKeyBase[function] + position;
            m.keys[function] = keyCodesArray[position];
            break;
        case StateSlot:  // refused until booted or from an empty slot; a load restarts with the state's speed
            message.what = (load ? kCmdLoadStateBase : kCmdSaveStateBase) + slot;
            if (!m.booted || (load && !m.slotSaved[slot])) ++m.refusedStates;
            else if (load) m.speed = m.slotSpeed[slot], m.service = m.slotService[slot], m.running = true;
            else m.slotSaved[slot] = true, m.slotSpeed[slot] = m.speed, m.slotService[slot] = m.service;
            break;
        case NoSuchKey: message.what = kCmdKeyBase[function] + kKeyCount + position % 30; break;  // past the items
        case kCommands: break;
    }
    window->PostMessage(&message);
}

void expectState(SyncWindow* window, const Model& m) {
    window->Lock();
    EXPECT_EQ(romPath[0] != '\0', m.booted);
    EXPECT_EQ(std::tuple(wpaused != 0, debugOn != 0, testMode != 0), std::tuple(m.paused, m.debug, m.service));
    EXPECT_EQ(std::pair(cpucycles_by_frame.load(), newSnoozeTime.load()),
              std::pair(cyclesPerFrame(m.speed), framePeriod(m.speed)));
    EXPECT_EQ(controlType, m.controller);
    EXPECT_TRUE(fController[m.controller]->IsMarked() && !fController[1 - m.controller]->IsMarked());
    for (int k = 0; k < 4; ++k) {
        const BMenuItem* marked = menus[k + 1]->FindMarked();
        EXPECT_EQ(keyboardConfig[k], m.keys[k]) << "function " << k;
        EXPECT_TRUE(marked && keyCodesArray[marked->Command() - kCmdKeyBase[k]] == m.keys[k]) << "function " << k;
    }
    EXPECT_EQ(romInfoItem->IsEnabled(), m.booted);
    for (int slot = 0; slot < 8 && m.booted; ++slot)
        EXPECT_TRUE(tmpMenu->ItemAt(slot)->IsMarked() == m.slotSaved[slot] &&
                    tmpMenu2->ItemAt(slot)->IsMarked() == m.slotSaved[slot]) << "slot " << slot;
    thread_info info;
    const bool known = get_thread_info(window->fCpuThread, &info) == B_OK;
    window->Unlock();
    ASSERT_TRUE(known) << "no emulation thread";
    EXPECT_EQ(info.state == B_THREAD_SUSPENDED, !m.running);
}

// `sequences` random sequences over windows of `perWindow` each.
void storm(const char* count, int sequences, int perWindow, const char* input, uint32_t seed) {
    if (const char* text = std::getenv(count); text && std::atoi(text) > 0) sequences = std::atoi(text);
    TempDir work;
    std::mt19937 random(seed);
    test_home::isolatedHome().clear();  // no settings file, no states yet
    Model m;
    size_t windows = 0;
    Console console(input, work.path() / "console");
    for (int done = 0; done < sequences && !::testing::Test::HasFailure(); ++windows) {
        SyncWindow* window = startWindow();
        m.nextWindow();
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
                EXPECT_TRUE(within(60, [&] { return presented.load() >= before + 2; })) << "the game presents no frames";
            }
        }
        const thread_id emulation = window->fCpuThread;
        quitWindow(window);
        thread_info info;
        EXPECT_EQ(get_thread_info(emulation, &info), B_BAD_THREAD_ID) << "the emulation thread outlived Quit";
    }
    const std::string text = console.text();
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

const std::string kPrompt = "[cpu 1]>";

class MonitorWindow : public ::testing::Test {
protected:
    void TearDown() override {
        if (window_) quitWindow(window_);
        if (HasFailure()) std::fprintf(stderr, "%s", console_.text().c_str());
    }
    void send(uint32 code) {
        window_->PostMessage(code);
        window_->Sync();
    }
    bool prompts(size_t count) { return within(30, [&] { return occurrences(console_.text(), kPrompt) >= count; }); }
    uint32_t presented() const { return window_->fEmulation.framesPresented.load(); }
    bool framesAdvance(uint32_t frames) {
        const uint32_t before = presented();
        return within(30, [&] { return presented() >= before + frames; });
    }

    TempDir work_;
    Console console_{nullptr, work_.path() / "console"};  // input: a pipe the test writes to
    SyncWindow* window_ = startWindow();
};

TEST_F(MonitorWindow, HoldsTheGameAtItsPromptUntilDebugIsSwitchedOff) {
    send(kCmdDebug);
    send(kCmdBoot);
    ASSERT_TRUE(prompts(1));
    const uint32_t held = presented();
    console_.feed("r\n");  // answered at the prompt, within the same frame
    ASSERT_TRUE(prompts(2));
    EXPECT_EQ(presented(), held) << "frames went on while the monitor waited";
    const thread_id running = window_->fCpuThread;
    send(kCmdDebug);
    EXPECT_TRUE(framesAdvance(5));
    EXPECT_EQ(window_->fCpuThread, running) << "released, not restarted";
    send(kCmdDebug);  // on again: back at the start of the next frame
    EXPECT_TRUE(prompts(3));
}

TEST_F(MonitorWindow, QuitWhileTheMonitorWaitsPutsTheFrameRateOnALineOfItsOwn) {
    send(kCmdBoot);
    ASSERT_TRUE(framesAdvance(3));
    send(kCmdDebug);
    ASSERT_TRUE(prompts(1));
    quitWindow(window_);
    window_ = nullptr;
    EXPECT_NE(console_.text().find(kPrompt + "\nAverage fps : "), std::string::npos) << console_.text();
}

}  // namespace
