// The front end through the whole program's loop over the dummy video driver
// and the fake board: hotkeys by synthetic key presses (and that none reaches
// the board's keys), the title bar, full screen, screenshots, a controller
// through SDL's virtual joystick, the missing ROM set's alert and ROM sets
// dropped on the window.
#include <filesystem>
#include <fstream>
#include <regex>

#include "alert_queue.h"
#include "file_text.h"
#include "hotkeys.h"
#include "launch_options.h"
#include "menu_geometry.h"
#include "settings.h"
#include "shell_fixture.h"
#include "synthetic_input.h"
#include "window_capture.h"

namespace fs = std::filesystem;

namespace {

// SDL scancodes (USB usage ids).
constexpr int kP = 19, kEnter = 40, kEscape = 41, kTab = 43, kF3 = 60, kF11 = 68, kF12 = 69, kPause = 72,
              kKeypadEnter = 88;

class Frontend : public ProgramTest {
protected:
    // Runs the program's loop with `drive`, the console captured into
    // `console`, the ROM set looked for in `place`.
    void Run(const std::function<void(DrivenApp&)>& drive, const RomSetPlace& place = {}) {
        testing::internal::CaptureStdout();
        {
            DrivenApp app(fake, options, [&](DrivenApp& self) {
                drive(self);
                kit::synthesize_close(self.fMainWindow);
            });
            RomSetChoice romSet;
            romSet.place = place;
            app.UseRomSet(std::move(romSet));
            EXPECT_EQ(app.Run(), B_OK);
            restartRomSet = app.fMainWindow->RestartRomSet();
        }
        console = testing::internal::GetCapturedStdout();
    }
    // Boots the game and waits for its first frames.
    bool booted(DrivenApp& app) {
        app.fMainWindow->PostMessage(kCmdBoot);
        return eventually([&] { return fake.renders.load() >= 3; });
    }
    std::string console;
    std::string restartRomSet;  // what the window asked to start again with
};

void press(int scancode, uint32 modifiers = 0) {
    kit::synthesize_key(scancode, true, modifiers);
    kit::synthesize_key(scancode, false, modifiers);
}

// Whether any key at all is held in the key state the board reads.
bool anyKeyHeld() {
    key_info info;
    get_key_info(&info);
    for (uint8_t byte : info.key_states)
        if (byte) return true;
    return false;
}

bool keyHeld(int code) {
    key_info info;
    get_key_info(&info);
    return info.key_states[code / 8] & (0x80 >> (code % 8));
}

bool titleIs(BWindow* window, const std::string& title) {
    return eventually([&] { return window->Title() == title; });
}

// Waits until the window has handled what was posted to it so far (Debug,
// switched on and off again, follows it in its queue).
bool handledSoFar(BWindow* window) {
    window->PostMessage(kCmdDebug);
    const bool on = eventually([] { return debugOn.load() != 0; });
    window->PostMessage(kCmdDebug);
    return on && eventually([] { return debugOn.load() == 0; });
}

// The answers an alert offers, once one is open.
kit::OpenAlert openAlert() {
    eventually([] { return !kit::open_alerts().empty(); });
    const auto alerts = kit::open_alerts();
    return alerts.empty() ? kit::OpenAlert{} : alerts.front();
}

}  // namespace

TEST_F(Frontend, PAndPausePauseF3ResetsAndNoHotkeyReachesTheBoard) {
    bool pausedByP = false, resumedByP = false, pausedByPause = false, resumedByPause = false, reset = false;
    bool heldWhileDown = true;
    Run([&](DrivenApp& self) {
        if (!booted(self)) return;
        clear_key_states();
        kit::synthesize_key(kP, true);
        pausedByP = eventually([] { return wpaused.load() != 0; });
        heldWhileDown = anyKeyHeld();
        kit::synthesize_key(kP, false);
        press(kP);
        resumedByP = eventually([] { return wpaused.load() == 0; });
        press(kPause);
        pausedByPause = eventually([] { return wpaused.load() != 0; });
        press(kPause);
        resumedByPause = eventually([] { return wpaused.load() == 0; });
        // The window's thread writes the thread's id under the window's lock.
        const auto emulationThread = [&] {
            self.fMainWindow->Lock();
            const thread_id id = self.fMainWindow->fCpuThread;
            self.fMainWindow->Unlock();
            return id;
        };
        const thread_id before = emulationThread();
        const int resets = fake.resets.load();
        kit::synthesize_key(kF3, true);
        reset = eventually([&] { return fake.resets.load() == resets + 1; });
        heldWhileDown = heldWhileDown || anyKeyHeld();
        kit::synthesize_key(kF3, false);
        EXPECT_TRUE(eventually([&] { return emulationThread() != before; }));
        const int frames = fake.renders.load();
        EXPECT_TRUE(eventually([&] { return fake.renders.load() > frames + 3; })) << "the game runs after F3";
    });
    EXPECT_TRUE(pausedByP);
    EXPECT_TRUE(resumedByP);
    EXPECT_TRUE(pausedByPause);
    EXPECT_TRUE(resumedByPause);
    EXPECT_TRUE(reset);
    EXPECT_FALSE(heldWhileDown) << "a hotkey reached the board's keys";
}

TEST_F(Frontend, TabRunsUnlimitedWhileHeldAndChangesNoSetting) {
    bool fast = false, back = false, heldWhileDown = true;
    uint32_t period = 0;
    std::string titleWhileHeld;
    Run([&](DrivenApp& self) {
        if (!booted(self)) return;
        clear_key_states();
        kit::synthesize_key(kTab, true);
        fast = eventually([&] { return self.fMainWindow->fEmulation.turbo.load(); });
        heldWhileDown = anyKeyHeld();
        period = newSnoozeTime.load();
        // Measured over a second while held: far more than 60 frames.
        eventually([&] {
            return std::regex_match(self.fMainWindow->Title(), std::regex("BePellmora v0\\.80 - [0-9]{3,} fps"));
        });
        titleWhileHeld = self.fMainWindow->Title();
        kit::synthesize_key(kTab, false);
        back = eventually([&] { return !self.fMainWindow->fEmulation.turbo.load(); }) &&
               titleIs(self.fMainWindow, kWindowName);
    });
    EXPECT_TRUE(fast);
    EXPECT_TRUE(back) << "still unlimited after Tab was released";
    EXPECT_FALSE(heldWhileDown);
    EXPECT_EQ(period, framePeriod(Speed::Fps60)) << "the speed itself is not changed";
    EXPECT_TRUE(std::regex_match(titleWhileHeld, std::regex("BePellmora v0\\.80 - [0-9]{3,} fps"))) << titleWhileHeld;
    EXPECT_FALSE(fs::exists(settingsPath())) << "Tab wrote the settings";
}

// Which title goes with which state is the title's own test; here: the
// window follows the commands, and measures the speed.
TEST_F(Frontend, TheTitleBarFollowsPauseDebugAndTheSpeed) {
    std::vector<std::string> titles;
    bool measured30 = false;
    Run([&](DrivenApp& self) {
        BeVorelWindow* window = self.fMainWindow;
        const auto seen = [&](const std::string& wanted) {
            titles.push_back(titleIs(window, wanted) ? wanted : window->Title());
        };
        if (!booted(self)) return;
        window->PostMessage(kCmdPause);
        window->PostMessage(kCmdDebug);
        seen("BePellmora v0.80 - Paused - Debug");
        window->PostMessage(kCmdPause);
        window->PostMessage(kCmdDebug);
        window->PostMessage(kCmdSpeed30);
        seen("BePellmora v0.80 - 30 fps");
        // Measured over a second: between 25 and 30 on a busy machine.
        measured30 = eventually([&] {
            return std::regex_match(window->Title(), std::regex("BePellmora v0\\.80 - (2[5-9]|30) fps"));
        });
        window->PostMessage(kCmdFreeRom);  // nothing runs: no speed shown
        seen(kWindowName);
    });
    EXPECT_EQ(titles, (std::vector<std::string>{"BePellmora v0.80 - Paused - Debug", "BePellmora v0.80 - 30 fps",
                                                "BePellmora v0.80"}));
    EXPECT_TRUE(measured30);
}

TEST_F(Frontend, F11AndAltEnterSwitchFullScreenEscapeLeavesItAndTheSettingIsKept) {
    std::vector<bool> states;
    bool menuClosedFirst = false;
    Run([&](DrivenApp& self) {
        BeVorelWindow* window = self.fMainWindow;
        const auto fullScreenIs = [&](bool wanted) {
            return eventually([&] {
                kit::WindowCapture frame;
                return kit::capture_window(window, frame) && kit::window_geometry(window).fullScreen == wanted;
            });
        };
        press(kF11);
        states.push_back(fullScreenIs(true));
        press(kEscape);
        states.push_back(fullScreenIs(false));
        press(kEnter, B_COMMAND_KEY);
        states.push_back(fullScreenIs(true));
        // With a menu open, Escape closes the menu and stays in full screen.
        const kit::MenuBox file = kit::menu_geometry(window).titles.at(0);
        kit::synthesize_pointer(window, file.left + 5, file.top + 5, true);
        kit::WindowCapture frame;
        kit::capture_window(window, frame);
        kit::synthesize_pointer(window, file.left + 5, file.top + 5, false);
        eventually([&] { return kit::capture_window(window, frame) && !kit::menu_geometry(window).menus.empty(); });
        kit::release_pointer(window);
        press(kEscape);
        eventually([&] { return kit::capture_window(window, frame) && kit::menu_geometry(window).menus.empty(); });
        menuClosedFirst = kit::window_geometry(window).fullScreen;
        press(kKeypadEnter, B_COMMAND_KEY);
        states.push_back(fullScreenIs(false));
        press(kF11);
        states.push_back(fullScreenIs(true));
    });
    EXPECT_EQ(states, (std::vector<bool>{true, true, true, true, true}));
    EXPECT_TRUE(menuClosedFirst);
    EXPECT_NE(fileText(settingsPath()).find("fullscreen = yes\n"), std::string::npos) << fileText(settingsPath());
}

TEST_F(Frontend, FullScreenFromTheOptionIsForThisRunOnly) {
    options.fullScreen = true;
    bool full = false;
    Run([&](DrivenApp& self) {
        full = eventually([&] {
            kit::WindowCapture frame;
            return kit::capture_window(self.fMainWindow, frame) && kit::window_geometry(self.fMainWindow).fullScreen;
        });
        self.fMainWindow->PostMessage(kCmdSpeed30);  // a setting that is written
        eventually([] { return fs::exists(settingsPath()); });
    });
    EXPECT_TRUE(full);
    EXPECT_NE(fileText(settingsPath()).find("fullscreen = no\n"), std::string::npos) << fileText(settingsPath());
}

TEST_F(Frontend, F12SavesTheShownPictureInThePicturesDirectoryNeverOverAFile) {
    std::vector<fs::path> shots;
    std::string refusal;
    Run([&](DrivenApp& self) {
        press(kF12);  // nothing shown yet
        refusal = openAlert().text;
        press(kEnter);
        eventually([] { return kit::open_alerts().empty(); });
        if (!booted(self)) return;
        const fs::path dir = test_home::isolatedHome().pictures();
        press(kF12);
        press(kF12);
        eventually([&] { return fs::exists(dir) && std::distance(fs::directory_iterator(dir), {}) == 2; });
        for (const auto& entry : fs::directory_iterator(dir)) shots.push_back(entry.path());
    });
    EXPECT_EQ(refusal, "No screenshot: no frame was presented.");
    ASSERT_EQ(shots.size(), 2u);
    std::sort(shots.begin(), shots.end());
    for (const fs::path& shot : shots)  // their names and content are the screenshot files' tests'
        EXPECT_NE(console.find("Screenshot saved: " + shot.string() + "\n"), std::string::npos) << console;
    EXPECT_NE(console.find("No screenshot: no frame was presented.\n"), std::string::npos) << console;
}

TEST_F(Frontend, AControllerPlaysWhenJoystickIsChosenAndIsToldWhenPlugged) {
    constexpr int kButton1 = 0x5D, kUp = 0x57;
    bool playsWithJoystick = false, keyboardToo = false, stopsWithKeyboard = false;
    int pad = -1;
    Run([&](DrivenApp& self) {
        BeVorelWindow* window = self.fMainWindow;
        clear_key_states();
        pad = kit::attach_virtual_gamepad("Test pad");
        if (pad < 0) return;
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_A, true);
        EXPECT_TRUE(handledSoFar(window)) << "the plug, told while the keyboard plays";
        window->PostMessage(kCmdJoystick);
        playsWithJoystick = eventually([] { return keyHeld(kButton1); });
        kit::synthesize_key(82, true);  // the Up arrow on the keyboard
        keyboardToo = eventually([] { return keyHeld(kUp) && keyHeld(kButton1); });
        kit::synthesize_key(82, false);
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_UP, true);
        EXPECT_TRUE(eventually([] { return keyHeld(kUp); }));
        window->PostMessage(kCmdKeyboard);
        stopsWithKeyboard = eventually([] { return !keyHeld(kButton1) && !keyHeld(kUp); });
        window->PostMessage(kCmdJoystick);
        EXPECT_TRUE(eventually([] { return keyHeld(kButton1); }));
        kit::detach_virtual_gamepad(pad);
        EXPECT_TRUE(eventually([] { return !keyHeld(kButton1); }));
        // The loop sees the plug at its next turn (two draws later), the
        // window says so when it handles it.
        const int second = kit::attach_virtual_gamepad("Second pad");
        kit::WindowCapture frame;
        kit::capture_window(window, frame), kit::capture_window(window, frame);
        kit::detach_virtual_gamepad(second);
        kit::capture_window(window, frame), kit::capture_window(window, frame);
        EXPECT_TRUE(handledSoFar(window));
    });
    ASSERT_GE(pad, 0) << "no game-controller support with the dummy video driver";
    EXPECT_TRUE(playsWithJoystick);
    EXPECT_TRUE(keyboardToo);
    EXPECT_TRUE(stopsWithKeyboard);
    const std::string lines = "Game controller connected: Test pad (Controller > Joystick lets it play)\n"
                              "Game controller disconnected: Test pad\n"
                              "Game controller connected: Second pad\n"
                              "Game controller disconnected: Second pad\n";
    EXPECT_NE(console.find(lines), std::string::npos) << console;
    EXPECT_NE(fileText(settingsPath()).find("type = joystick"), std::string::npos);
}

TEST_F(Frontend, AMissingRomSetShowsWhereItWasLookedForAndWhatItNeeds) {
    fake.startUpSucceeds = false;
    RomSetPlace place;
    place.searched = {"/opt/bevorel/Roms/", "/home/player/Roms/"};
    kit::OpenAlert alert;
    Run([&](DrivenApp&) {
        alert = openAlert();
        press(kEnter);
        eventually([] { return kit::open_alerts().empty(); });
    }, place);
    EXPECT_EQ(alert.text, missingRomSetText(place, ""));
    EXPECT_EQ(alert.type, B_STOP_ALERT);
}

class DroppedRomSet : public Frontend {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        dir_ = test_home::isolatedHome().data() / "dropped set";
        fs::create_directories(dir_);
        for (const char* name : kRomSetNames) {
            std::ofstream(dir_ / name).put('\0');
            fs::resize_file(dir_ / name, 131072);
        }
    }
    // Drops each path in turn on the running game and returns the alerts they
    // bring, each answered with `answer`.
    std::vector<kit::OpenAlert> Drop(const std::vector<fs::path>& paths, int answer) {
        std::vector<kit::OpenAlert> alerts;
        Run([&](DrivenApp& self) {
            if (!booted(self)) return;
            for (const fs::path& path : paths) {
                kit::synthesize_drop(self.fMainWindow, path.c_str());
                alerts.push_back(openAlert());
                kit::answer_alert(alerts.back().id, answer);
                eventually([] { return kit::open_alerts().empty(); });
            }
            // Answered: the window quits to start again, or the game runs on.
            const int frames = fake.renders.load();
            runsOn = eventually([&] { return self.fMainWindow->IsQuitting() || fake.renders.load() > frames + 3; });
        });
        alerts.resize(paths.size());
        return alerts;
    }
    fs::path dir_;
    bool runsOn = false;
};

TEST_F(DroppedRomSet, AWholeSetOffersToStartAgainWithIt) {
    const kit::OpenAlert alert = Drop({dir_}, 1).front();
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Cancel", "Start again"}));
    EXPECT_NE(alert.text.find("loads its ROM set once, when the program starts"), std::string::npos) << alert.text;
    EXPECT_NE(alert.text.find(dir_.string()), std::string::npos) << alert.text;
    EXPECT_EQ(restartRomSet, dir_.string());
    EXPECT_NE(console.find("Starting again with the ROM set in " + dir_.string() + "\n"), std::string::npos)
        << console;
    EXPECT_NE(console.find("Average fps : "), std::string::npos) << "the window quit as Quit does";
}

TEST_F(DroppedRomSet, CancelKeepsTheGameRunning) {
    // One of the set's files offers the set too.
    EXPECT_EQ(Drop({dir_ / "CH0"}, 0).front().buttons, (std::vector<std::string>{"Cancel", "Start again"}));
    EXPECT_EQ(restartRomSet, "");
    EXPECT_TRUE(runsOn);
    EXPECT_EQ(console.find("Starting again"), std::string::npos) << console;
}

TEST_F(DroppedRomSet, WhatIsNoWholeSetIsRefusedSayingWhy) {
    fs::resize_file(dir_ / "CH1", 100);
    fs::remove(dir_ / "PELLMORA.3A");
    const auto alerts = Drop({dir_, dir_ / "CH0"}, 0);
    const kit::OpenAlert& incomplete = alerts[0];
    EXPECT_EQ(incomplete.text, "No ROM set to start with: " + (dir_ / "PELLMORA.3A").string() + " is missing.");
    EXPECT_EQ(incomplete.buttons, std::vector<std::string>{"Ok"});
    const kit::OpenAlert& file = alerts[1];  // one of the set's files: the same set
    EXPECT_EQ(file.text, incomplete.text);
    EXPECT_EQ(restartRomSet, "");
    EXPECT_NE(console.find(file.text + "\n"), std::string::npos) << console;
}
