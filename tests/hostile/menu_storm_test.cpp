// Random sequences of menu commands posted to the real main window, with the
// real board running the demo ROM set, each window ending with Quit. No
// deadlock (a watchdog ends the process if one sync does not come back), no
// crash, no sanitizer report; after every sequence the window's state is
// what the commands posted so far make it, and a running game still
// presents frames. HOSTILE_MENU_SEQUENCES and HOSTILE_MONITOR_SEQUENCES in
// the environment change the counts.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "board.h"
#include "emulation.h"
#include "hostile_support.h"
#include "isolated_home.h"
#include "menus.h"
#include "paths.h"
#include "window_support.h"

using namespace hostile;

namespace {

int countFromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

// What the commands posted so far make of the window, as the README
// describes them.
struct Model {
    bool booted = false, running = false, paused = false, debug = false, service = false;
    uint32_t cycles = cyclesPerFrame(Speed::Fps60), period = framePeriod(Speed::Fps60);
    uint8_t controller = 0;
    uint8_t keys[4] = {0x3D, 0x3E, 0x27, 0x50};
    int refusedPaths = 0;
    // The speed and service mode saved in each state slot (period 1: none
    // saved yet).
    uint32_t slotCycles[8] = {}, slotPeriod[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    bool slotService[8] = {};
    int refusedStates = 0;
};

// A new window starts from what the files say: the settings the commands
// changed and the states they saved.
Model nextWindowModel(const Model& last) {
    Model next;
    next.cycles = last.cycles, next.period = last.period, next.controller = last.controller;
    std::memcpy(next.keys, last.keys, sizeof next.keys);
    std::memcpy(next.slotCycles, last.slotCycles, sizeof next.slotCycles);
    std::memcpy(next.slotPeriod, last.slotPeriod, sizeof next.slotPeriod);
    std::memcpy(next.slotService, last.slotService, sizeof next.slotService);
    return next;
}

enum Command { Boot, BootByPath, BootByLongPath, Reset, ServiceMode, Pause, Debug, Speed30, Speed60,
               SpeedUnlimited, FreeRom, Keyboard, Joystick, KeyChoice, StateSlot, NoSuchKey, kCommands };

// Posts one command and follows it in the model.
void post(SyncWindow* window, Command command, std::mt19937& random, Model& model) {
    switch (command) {
        case Boot:
            window->PostMessage(kCmdBoot);
            model.booted = model.running = true;
            break;
        case BootByPath: {
            BMessage message(kMsgLoadRom);
            message.AddString("path", "/games/pellmora/PELLMORA.2A");
            window->PostMessage(&message);
            model.booted = model.running = true;
            break;
        }
        case BootByLongPath: {
            BMessage message(kMsgLoadRom);
            message.AddString("path", ("/" + std::string(1023 + random() % 3000, 'p')).c_str());
            window->PostMessage(&message);
            ++model.refusedPaths;
            break;
        }
        case Reset:
            window->PostMessage(kCmdReset);
            if (model.booted) model.running = true;
            break;
        case ServiceMode:
            window->PostMessage(kCmdServiceMode);
            model.service = !model.service;
            if (model.booted) model.running = true;
            break;
        case Pause:
            window->PostMessage(kCmdPause);
            if (model.booted) model.paused = !model.paused;
            break;
        case Debug:
            window->PostMessage(kCmdDebug);
            model.debug = !model.debug;
            break;
        case Speed30:
            window->PostMessage(kCmdSpeed30);
            model.cycles = cyclesPerFrame(Speed::Fps30), model.period = framePeriod(Speed::Fps30);
            break;
        case Speed60:
            window->PostMessage(kCmdSpeed60);
            model.cycles = cyclesPerFrame(Speed::Fps60), model.period = framePeriod(Speed::Fps60);
            break;
        case SpeedUnlimited:
            window->PostMessage(kCmdSpeedUnlimited);
            model.cycles = cyclesPerFrame(Speed::Unlimited), model.period = framePeriod(Speed::Unlimited);
            break;
        case FreeRom:
            window->PostMessage(kCmdFreeRom);
            if (model.booted) model.running = false;
            break;
        case Keyboard:
        case Joystick:
            window->PostMessage(command == Keyboard ? kCmdKeyboard : kCmdJoystick);
            model.controller = command == Keyboard ? 0 : 1;
            break;
        case KeyChoice: {
            const int function = static_cast<int>(random() % 4), position = static_cast<int>(random() % kKeyCount);
            window->PostMessage(kCmdKeyBase[function] + static_cast<uint32_t>(position));
            model.keys[function] = keyCodesArray[position];
            break;
        }
        case StateSlot: {  // refused until booted; loads restart the emulation with the state's speed
            const bool load = random() % 2;
            const uint32_t slot = static_cast<uint32_t>(random() % 8);
            window->PostMessage((load ? kCmdLoadStateBase : kCmdSaveStateBase) + slot);
            if (!model.booted || (load && model.slotPeriod[slot] == 1)) {
                ++model.refusedStates;
            } else if (load) {
                model.cycles = model.slotCycles[slot], model.period = model.slotPeriod[slot];
                model.service = model.slotService[slot];
                model.running = true;
            } else {
                model.slotCycles[slot] = model.cycles, model.slotPeriod[slot] = model.period;
                model.slotService[slot] = model.service;
            }
            break;
        }
        case NoSuchKey:  // just past a key submenu's items: not a command
            window->PostMessage(kCmdKeyBase[random() % 4] + kKeyCount + static_cast<uint32_t>(random() % 30));
            break;
        case kCommands: break;
    }
}

// The window's state against the model; called after a sync.
void expectState(SyncWindow* window, const Model& model, int sequence) {
    SCOPED_TRACE("after sequence " + std::to_string(sequence));
    window->Lock();
    EXPECT_EQ(romPath[0] != '\0', model.booted);
    EXPECT_EQ(wpaused.load() != 0, model.paused);
    EXPECT_EQ(debugOn.load() != 0, model.debug);
    EXPECT_EQ(testMode != 0, model.service);
    EXPECT_EQ(cpucycles_by_frame.load(), model.cycles);
    EXPECT_EQ(newSnoozeTime.load(), model.period);
    EXPECT_EQ(controlType, model.controller);
    EXPECT_TRUE(fController[model.controller]->IsMarked());
    EXPECT_FALSE(fController[1 - model.controller]->IsMarked());
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(keyboardConfig[k], model.keys[k]) << "function " << k;
        const BMenuItem* marked = menus[k + 1]->FindMarked();
        ASSERT_NE(marked, nullptr);
        EXPECT_EQ(keyCodesArray[marked->Command() - kCmdKeyBase[k]], model.keys[k]);
    }
    EXPECT_EQ(romInfoItem->IsEnabled(), model.booted);
    for (int slot = 0; slot < 8 && model.booted; ++slot) {
        EXPECT_EQ(tmpMenu->ItemAt(slot)->IsMarked(), model.slotPeriod[slot] != 1) << "load slot " << slot;
        EXPECT_EQ(tmpMenu2->ItemAt(slot)->IsMarked(), model.slotPeriod[slot] != 1) << "save slot " << slot;
    }
    thread_info info;
    const bool known = get_thread_info(window->fCpuThread, &info) == B_OK;
    window->Unlock();
    ASSERT_TRUE(known) << "no emulation thread";
    if (model.running)
        EXPECT_NE(info.state, B_THREAD_SUSPENDED);
    else
        EXPECT_EQ(info.state, B_THREAD_SUSPENDED);
}

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Runs `sequences` random sequences over windows of `perWindow` sequences each.
void storm(int sequences, int perWindow, const char* inputPath, uint32_t seed) {
    TempDir work;
    const fs::path output = work.path() / "console";
    std::mt19937 random(seed);
    test_home::isolatedHome().clear();  // no settings file, no states yet
    int refusedPaths = 0, refusedStates = 0, windows = 0;
    Model model;
    const double start = secondsNow();
    {
        Console console(inputPath, output);
        for (int done = 0; done < sequences; ++windows) {
            startShellState();
            SyncWindow* window = new SyncWindow(boardMachine());
            window->Show();
            if (!boardMachine().ready()) {
                ADD_FAILURE() << "the demo ROM set beside " << BEVOREL_PROGRAM << " did not load";
                window->PostMessage(B_QUIT_REQUESTED);
                wait_for_thread(window->Thread(), nullptr);
                delete window;
                releaseSurface();
                break;
            }
            model = nextWindowModel(model);
            for (int n = 0; n < perWindow && done < sequences; ++n, ++done) {
                Watchdog watchdog(120, "menu sequence " + std::to_string(done));
                const int length = 1 + static_cast<int>(random() % 6);
                for (int i = 0; i < length; ++i)
                    post(window, static_cast<Command>(random() % kCommands), random, model);
                window->Sync();
                expectState(window, model, done);
                // Now and then let the game run a while, and see that it does.
                if (model.running && !model.paused && !(model.debug && !inputPath) && random() % 16 == 0) {
                    const std::atomic<uint32_t>& presented = window->fEmulation.framesPresented;
                    const uint32_t before = presented.load();
                    while (presented.load() < before + 2) snooze(500);
                }
                if (::testing::Test::HasFailure()) break;
            }
            refusedPaths += model.refusedPaths;
            refusedStates += model.refusedStates;
            {
                Watchdog watchdog(120, "quitting window " + std::to_string(windows));
                window->PostMessage(B_QUIT_REQUESTED);
                wait_for_thread(window->Thread(), nullptr);
                thread_info info;
                EXPECT_EQ(get_thread_info(window->fCpuThread, &info), B_BAD_THREAD_ID)
                    << "the emulation thread outlived Quit";
            }
            delete window;
            releaseSurface();
            if (::testing::Test::HasFailure()) break;
        }
    }
    std::ifstream in(output, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (::testing::Test::HasFailure()) {
        // The failures were printed into the captured console: show them.
        for (size_t at = text.find(": Failure"); at != std::string::npos; at = text.find(": Failure", at + 1))
            std::fprintf(stderr, "%s\n", text.substr(text.rfind('\n', at) + 1, 600).c_str());
    }
    EXPECT_EQ(occurrences(text, "Cannot boot: the game's path is 1024 characters or more.\n"),
              static_cast<size_t>(refusedPaths));
    EXPECT_EQ(occurrences(text, "Loading ROMS...Ok.\n"), static_cast<size_t>(windows));
    EXPECT_EQ(occurrences(text, "Cannot load slot ") + occurrences(text, "Cannot save slot "),
              static_cast<size_t>(refusedStates));
    std::printf("%d sequences over %d windows in %.1f s; %zu bytes of console output\n", sequences, windows,
                secondsNow() - start, text.size());
}

TEST(MenuStorm, RandomSequencesOnTheDemoWithTheMonitorAtTheEndOfItsInput) {
    storm(countFromEnvironment("HOSTILE_MENU_SEQUENCES", 10000), 500, "/dev/null", 1);
}

TEST(MenuStorm, RandomSequencesWhileTheMonitorWaitsForInput) {
    // Standard input an open, empty pipe: with Debug on, the emulation thread
    // waits in the monitor, and every Reset, free ROM or Quit must stop it there.
    storm(countFromEnvironment("HOSTILE_MONITOR_SEQUENCES", 200), 50, nullptr, 2);
}

}  // namespace
