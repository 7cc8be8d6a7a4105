// Random sequences of menu commands posted to the real main window, the real
// board running the demo, each window ending with Quit: no deadlock (a
// watchdog ends the process if a sync does not come back), no crash; after
// every sequence the window's state is what the commands posted so far make
// it, and a running game presents frames. HOSTILE_MENU_SEQUENCES and
// HOSTILE_MONITOR_SEQUENCES in the environment change the counts.
#include <cstdlib>
#include <random>

#include "isolated_home.h"
#include "window_support.h"

using namespace hostile;

namespace {

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

}  // namespace
