// The front end through the whole program's loop over the dummy video driver
// and the fake board: what the real-input desktop test does not see (hotkeys
// kept from the board's keys, which settings are kept, alerts and their
// texts, a controller through SDL's virtual joystick, ROM sets dropped on the
// window, file references and the start options).
#include <filesystem>
#include <fstream>

#include "alert_queue.h"
#include "bevorel_app.h"
#include "file_text.h"
#include "kit_test_app.h"
#include "launch_options.h"
#include "rom_set_location.h"
#include "shell_fixture.h"
#include "state_slots.h"
#include "synthetic_input.h"
#include "window_capture.h"
#include "workbench_window.h"

namespace fs = std::filesystem;
using kit_test::held;
using kit_test::press;

namespace {

// SDL scancodes (USB usage ids).
constexpr int kEscape = 41, kF5 = 62, kF6 = 63, kF12 = 69,
              kKeypadEnter = 88;

// The whole program's loop, driven from a thread of its own once the window
// is up.
class DrivenApp : public BeVorelApp {
public:
    DrivenApp(Machine& machine, const LaunchOptions& options, std::function<void(DrivenApp&)> drive)
        : BeVorelApp(machine, options), fDrive(std::move(drive)) {}
    ~DrivenApp() override {
        if (fDriver.joinable()) fDriver.join();
    }
    void ReadyToRun() override {
        BeVorelApp::ReadyToRun();
        if (fDrive) fDriver = std::thread([this] { fDrive(*this); });
    }

private:
    std::function<void(DrivenApp&)> fDrive;
    std::thread fDriver;
};

// The program over `fake`, started with `options`, the surface freed after.
class Frontend : public ::testing::Test {
protected:
    void SetUp() override { resetShellState(); }
    void TearDown() override { releaseSurface(); }
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
            app.UseWorkbench(workbench);
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
    bool runsOn() {
        const int frames = fake.renders.load();
        return eventually([&] { return fake.renders.load() > frames + 3; });
    }
    FakeMachine fake;
    LaunchOptions options;
    workbench::Controller* workbench = nullptr;
    std::string console;
    std::string restartRomSet;  // what the window asked to start again with
};

// Waits until the window has handled what was posted to it so far (Debug,
// switched on and off again, follows it in its queue).
bool handledSoFar(BWindow* window) {
    window->PostMessage(kCmdDebug);
    const bool on = eventually([] { return debugOn.load() != 0; });
    window->PostMessage(kCmdDebug);
    return on && eventually([] { return debugOn.load() == 0; });
}

// The first alert open, once one is; answered with `answer` when given.
kit::OpenAlert openAlert(int answer = -1) {
    eventually([] { return !kit::open_alerts().empty(); });
    const auto alerts = kit::open_alerts();
    if (alerts.empty()) return {};
    if (answer >= 0) {
        kit::answer_alert(alerts.front().id, answer);
        eventually([] { return kit::open_alerts().empty(); });
    }
    return alerts.front();
}

}  // namespace

// --fullscreen holds for this run only; the keys' choice is kept.
TEST_F(Frontend, FullScreenFromTheOptionIsNotKeptFromTheKeysItIs) {
    options.fullScreen = true;
    std::vector<bool> reached;
    std::string written;
    Run([&](DrivenApp& self) {
        BeVorelWindow* window = self.fMainWindow;
        kit::WindowCapture frame;
        const auto fullScreenIs = [&](bool wanted) {
            reached.push_back(eventually([&] {
                return kit::capture_window(window, frame) && kit::window_geometry(window).fullScreen == wanted;
            }));
        };
        fullScreenIs(true);
        window->PostMessage(kCmdSpeed30);  // a setting that is written
        eventually([] { return fs::exists(settingsPath()); });
        written = fileText(settingsPath());
        press(kEscape);
        fullScreenIs(false);
        press(kKeypadEnter, B_COMMAND_KEY);
        fullScreenIs(true);
    });
    EXPECT_EQ(reached, (std::vector<bool>{true, true, true}));
    EXPECT_NE(written.find("fullscreen = no\n"), std::string::npos) << written;
    EXPECT_NE(fileText(settingsPath()).find("fullscreen = yes\n"), std::string::npos) << fileText(settingsPath());
}

// An empty slot is said in the title, with no alert; a refusal shows an
// alert while the game runs on under it.
TEST_F(Frontend, RefusalsShowAnAlertAndAnEmptySlotOnlyANotice) {
    std::string noShot, badState;
    bool emptyNoticed = false, alertBefore = true, ranUnderAlert = false;
    Run([&](DrivenApp& self) {
        press(kF12);  // nothing shown yet
        noShot = openAlert(0).text;
        if (!booted(self)) return;
        press(kF5);  // load slot 4: nothing there
        emptyNoticed = eventually([&] { return self.fMainWindow->Title() == "BePellmora v0.80 - Slot 4 is empty"; });
        alertBefore = !kit::open_alerts().empty();
        fs::create_directories(stateDirectory());
        std::ofstream(slotPath(fake.hash, 5)) << "not a state";
        press(kF6);
        badState = openAlert().text;
        ranUnderAlert = runsOn();
        openAlert(0);
    });
    EXPECT_EQ(noShot, "No screenshot: no frame was presented.");
    EXPECT_TRUE(emptyNoticed);
    EXPECT_FALSE(alertBefore);
    EXPECT_EQ(badState, "Cannot load slot 5: " + slotPath(fake.hash, 5) +
                            " is not a save state (it does not start with the state signature).");
    EXPECT_TRUE(ranUnderAlert) << "the game stood still under the alert";
    for (const std::string& line : {noShot, badState, "Cannot load slot 4: no state was saved there for this ROM set (" +
                                                          slotPath(fake.hash, 4) + ")."})
        EXPECT_NE(console.find(line + "\n"), std::string::npos) << console;
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
        // The loop sees the plug at its next turn (two draws later), the
        // window says so when it handles it.
        kit::WindowCapture frame;
        kit::capture_window(window, frame), kit::capture_window(window, frame);
        EXPECT_TRUE(handledSoFar(window)) << "the plug, told while the keyboard plays";
        window->PostMessage(kCmdJoystick);
        playsWithJoystick = eventually([] { return held(kButton1); });
        kit::synthesize_key(82, true);  // the Up arrow on the keyboard
        keyboardToo = eventually([] { return held(kUp) && held(kButton1); });
        kit::synthesize_key(82, false);
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_UP, true);
        EXPECT_TRUE(eventually([] { return held(kUp); }));
        window->PostMessage(kCmdKeyboard);
        stopsWithKeyboard = eventually([] { return !held(kButton1) && !held(kUp); });
        window->PostMessage(kCmdJoystick);
        EXPECT_TRUE(eventually([] { return held(kButton1); }));
        kit::detach_virtual_gamepad(pad);
        EXPECT_TRUE(eventually([] { return !held(kButton1); }));
        const int second = kit::attach_virtual_gamepad("Second pad");
        kit::capture_window(window, frame), kit::capture_window(window, frame);
        kit::detach_virtual_gamepad(second);
        kit::capture_window(window, frame), kit::capture_window(window, frame);
        EXPECT_TRUE(handledSoFar(window));
    });
    ASSERT_GE(pad, 0) << "no game-controller support with the dummy video driver";
    EXPECT_TRUE(playsWithJoystick && keyboardToo && stopsWithKeyboard);
    const std::string lines = "Game controller connected: Test pad (Controller > Joystick lets it play)\n"
                              "Game controller disconnected: Test pad\n"
                              "Game controller connected: Second pad\n"
                              "Game controller disconnected: Second pad\n";
    EXPECT_NE(console.find(lines), std::string::npos) << console;
}

TEST_F(Frontend, AMissingRomSetShowsWhereItWasLookedForAndWhatItNeeds) {
    fake.startUpSucceeds = false;
    RomSetPlace place;
    place.searched = {"/opt/bevorel/Roms/", "/home/player/Roms/"};
    kit::OpenAlert alert;
    bool bootRefusalShown = false;
    Run([&](DrivenApp& self) {
        alert = openAlert(0);
        self.fMainWindow->PostMessage(kCmdBoot);  // refused: said in the title too
        bootRefusalShown = eventually([&] { return self.fMainWindow->Title() == "BePellmora v0.80 - No ROM set loaded"; });
    }, place);
    EXPECT_EQ(alert.text, missingRomSetText(place, ""));
    EXPECT_EQ(alert.type, B_STOP_ALERT);
    EXPECT_TRUE(bootRefusalShown);
}

// What is no whole set is refused saying why; a whole set (or one of its
// files) is offered: Cancel keeps the game running, Start again quits to
// start with it.
TEST_F(Frontend, ADroppedRomSetIsOfferedOrRefusedSayingWhy) {
    const fs::path set = test_home::isolatedHome().data() / "dropped set";
    fs::create_directories(set);
    const auto write = [&](const char* name) {
        std::ofstream(set / name).put('\0');
        fs::resize_file(set / name, 131072);
    };
    for (const char* name : kRomSetNames)
        if (name != std::string("PELLMORA.3A")) write(name);
    std::vector<kit::OpenAlert> alerts;
    bool cancelled = false, quits = false;
    Run([&](DrivenApp& self) {
        if (!booted(self)) return;
        EXPECT_FALSE(kit::synthesize_drop(self.fMainWindow, "")) << "no path: nothing dropped";
        for (const fs::path& path : {set, set / "CH0"}) {
            kit::synthesize_drop(self.fMainWindow, path.c_str());
            alerts.push_back(openAlert(0));
        }
        write("PELLMORA.3A");
        kit::synthesize_drop(self.fMainWindow, (set / "CH0").c_str());
        alerts.push_back(openAlert(0));
        cancelled = runsOn();
        kit::synthesize_drop(self.fMainWindow, set.c_str());
        alerts.push_back(openAlert(1));
        quits = eventually([&] { return self.fMainWindow->IsQuitting(); });
    });
    ASSERT_EQ(alerts.size(), 4u);
    const std::string refusal = "No ROM set to start with: " + (set / "PELLMORA.3A").string() +
                                " is missing.";
    EXPECT_EQ(alerts[0].text, refusal);
    EXPECT_EQ(alerts[1].text, refusal) << "one of the set's files: the same set";
    EXPECT_EQ(alerts[0].buttons, std::vector<std::string>{"Ok"});
    for (int i : {2, 3}) {
        EXPECT_EQ(alerts[i].buttons, (std::vector<std::string>{"Cancel", "Start again"}));
        EXPECT_NE(alerts[i].text.find("loads its ROM set once, when the program starts"), std::string::npos);
    }
    EXPECT_NE(alerts[3].text.find(set.string()), std::string::npos) << alerts[3].text;
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(quits);
    EXPECT_EQ(restartRomSet, set.string());
    EXPECT_NE(console.find(refusal + "\n"), std::string::npos) << console;
    EXPECT_NE(console.find("Starting again with the ROM set in " + set.string() + "\n"), std::string::npos) << console;
}

// The start options act as their commands; a file reference boots on the
// window's thread, one without a usable reference boots nothing.
TEST_F(Frontend, StartOptionsActAsTheirCommandsAndAFileReferenceBoots) {
    options.boot = true;
    options.speed = Speed::Fps30;
    options.speedGiven = true;
    options.scale = 2;
    options.scaleGiven = true;
    Run([&](DrivenApp& app) {
        BeVorelWindow* window = app.fMainWindow;
        ASSERT_TRUE(eventually([&] { return fake.renders.load() > 0; }));
        window->Lock();
        EXPECT_STREQ(romPath, "po");
        EXPECT_EQ(newSnoozeTime.load(), framePeriod(Speed::Fps30));
        EXPECT_EQ(fake.speed(), Speed::Fps30);
        EXPECT_EQ(window->PixelScale(), 2);
        window->Unlock();
        ASSERT_NE(Load, nullptr);
        EXPECT_EQ(Load->Message()->what, 0x8001u);
        EXPECT_EQ(Load->Messenger().Target(), &app);  // no explicit target: the application
        BMessage noRefs(*Load->Message()), emptyRef(*Load->Message()), chosen(*Load->Message());
        const entry_ref empty, game("/games/pellmora/PELLMORA.2A");
        emptyRef.AddRef("refs", &empty);
        chosen.AddRef("refs", &game);
        for (BMessage* message : {&noRefs, &emptyRef, &chosen}) app.PostMessage(message);
        EXPECT_TRUE(eventually([&] {  // read under the window's lock, as its thread writes it
            window->Lock();
            const bool booted = std::string(romPath) == "/games/pellmora/PELLMORA.2A";
            window->Unlock();
            return booted;
        }));
    });
    EXPECT_EQ(fake.resets.load(), 2) << "the option's boot and the chosen file's only";
}

// Where the workbench's panels stand is written once the user moves one; the
// places it fits on its own (a zero size, a panel outside the window) leave
// the file as the user wrote it, though --workbench opened it.
class FrontendPanels : public Frontend, public ::testing::WithParamInterface<bool> {};

// Each run in a process of its own: the window's globals live as long as it.
TEST_P(FrontendPanels, AreWrittenOnlyOnceTheUserMovesOne) {
    const bool moved = GetParam();
    const std::string written = "[workbench]\npanels = cpu 1 4 24 0 0, memory 1 9000 9000 300 200\n";
    fs::create_directories(fs::path(settingsPath()).parent_path());
    std::ofstream(settingsPath()) << written;
    workbench::Controller controller(fake);
    workbench = &controller;
    options.workbench = true;
    Run([&](DrivenApp& self) {
        WorkbenchWindow* bench = nullptr;
        kit::WindowCapture frame;
        ASSERT_TRUE(eventually([&] {
            for (int32 i = 0; !bench && i < self.CountWindows(); ++i)
                bench = dynamic_cast<WorkbenchWindow*>(self.WindowAt(i));
            return bench && kit::capture_window(bench, frame);
        }));
        for (int draws = 0; draws < 3; ++draws) kit::capture_window(bench, frame);
        if (!moved) return;
        const struct { float x, y; bool down; } drag[] = {{100, 30, true}, {150, 80, true}, {150, 80, false}};
        for (const auto& at : drag)
            kit::synthesize_pointer(bench, at.x, at.y, at.down), kit::capture_window(bench, frame);
        kit::release_pointer(bench);
    });
    const std::string file = fileText(settingsPath());
    if (moved) EXPECT_NE(file.find("panels = cpu 1 54 74 "), std::string::npos) << file;
    else EXPECT_EQ(file, written);
}
INSTANTIATE_TEST_SUITE_P(Moved, FrontendPanels, ::testing::Bool());
