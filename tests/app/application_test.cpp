// The application: file references, the options at start, and the whole
// program's loop over the dummy video driver with the close box and the
// About alert.
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>

#include "alert_queue.h"
#include "bevorel_app.h"
#include "launch_options.h"
#include "shell_fixture.h"
#include "state_slots.h"
#include "synthetic_input.h"
#include "window_capture.h"

namespace {

using AppTest = ProgramTest;

void closeWindow(BeVorelWindow* window) {
    window->PostMessage(B_QUIT_REQUESTED);
    eventually([&] { return window->IsQuitting(); });
    wait_for_thread(window->Thread(), nullptr);
}

}  // namespace

TEST_F(AppTest, AFileReferenceBootsTheGameOnTheWindowsThread) {
    BeVorelApp app(fake, options);
    app.ReadyToRun();
    BeVorelWindow* window = app.fMainWindow;
    ASSERT_NE(window, nullptr);
    ASSERT_NE(Load, nullptr);
    EXPECT_EQ(Load->Message()->what, 0x8001u);
    EXPECT_EQ(Load->Messenger().Target(), &app);  // no explicit target: the application

    // No reference and an empty one boot nothing: only the good one that
    // follows resets the board.
    BMessage noRefs(*Load->Message());
    app.MessageReceived(&noRefs);
    BMessage emptyRef(*Load->Message());
    const entry_ref empty;
    emptyRef.AddRef("refs", &empty);
    app.MessageReceived(&emptyRef);
    BMessage chosen(*Load->Message());
    const entry_ref game("/games/pellmora/PELLMORA.2A");
    chosen.AddRef("refs", &game);
    app.MessageReceived(&chosen);
    ASSERT_TRUE(eventually([&] {  // read under the window's lock, as its thread writes it
        window->Lock();
        const bool booted = std::string(romPath) == "/games/pellmora/PELLMORA.2A";
        window->Unlock();
        return booted;
    }));
    ASSERT_TRUE(eventually([&] { return fake.renders.load() > 0; }));
    EXPECT_EQ(fake.resets.load(), 1);
    EXPECT_TRUE(romInfoItem->IsEnabled());
    closeWindow(window);
    delete window;
}

TEST_F(AppTest, StartOptionsActAsTheirCommands) {
    options.boot = true;
    options.speed = Speed::Fps30;
    options.speedGiven = true;
    options.scale = 2;
    options.scaleGiven = true;
    BeVorelApp app(fake, options);
    app.ReadyToRun();
    ASSERT_TRUE(eventually([&] { return fake.renders.load() > 0; }));
    app.fMainWindow->Lock();
    EXPECT_STREQ(romPath, "po");
    EXPECT_EQ(newSnoozeTime.load(), framePeriod(Speed::Fps30));
    EXPECT_EQ(fake.speed(), Speed::Fps30);
    EXPECT_EQ(app.fMainWindow->PixelScale(), 2);
    app.fMainWindow->Unlock();
    closeWindow(app.fMainWindow);
    delete app.fMainWindow;
}

TEST_F(AppTest, TheAboutAlertFreezesThePictureAndTheCloseBoxQuits) {
    bool alertShown = false, frozen = false, resumed = false;
    testing::internal::CaptureStdout();
    {
        DrivenApp app(fake, options, [&](DrivenApp& self) {
            self.fMainWindow->PostMessage(kCmdBoot);
            if (!eventually([&] { return fake.renders.load() >= 3; })) return;
            self.fMainWindow->PostMessage(kCmdAbout);
            alertShown = eventually([] { return !kit::open_alerts().empty(); });
            // The window's thread is in the alert: the emulation waits at
            // the window's lock, and stays there while the loop draws on.
            const auto waiting = [&] {
                thread_info info;
                return get_thread_info(self.fMainWindow->fCpuThread, &info) == B_OK &&
                       info.state == B_THREAD_WAITING;
            };
            frozen = eventually(waiting);
            const int frames = fake.renders.load();
            kit::WindowCapture drawn;
            for (int i = 0; i < 3; ++i) kit::capture_window(self.fMainWindow, drawn);
            frozen = frozen && waiting() && fake.renders.load() == frames;
            kit::synthesize_key(40, true);  // Enter
            kit::synthesize_key(40, false);
            resumed = eventually([&] { return fake.renders.load() > frames + 3; });
            kit::synthesize_close(self.fMainWindow);
        });
        ASSERT_EQ(app.Run(), B_OK);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(alertShown);
    EXPECT_TRUE(frozen);
    EXPECT_TRUE(resumed);
    EXPECT_NE(out.find("Average fps : "), std::string::npos) << out;
}

TEST_F(AppTest, HotkeysSaveAndLoadAndARefusalShowsAnAlertWhileTheGameRuns) {
    constexpr int kF2 = 59, kF5 = 62, kF6 = 63, kReturn = 40;
    bool saved = false, loaded = false, emptyNoticed = false, alertShown = false, ranUnderAlert = false,
         answered = false;
    size_t alerts = 0;
    std::string text;
    testing::internal::CaptureStdout();
    {
        DrivenApp app(fake, options, [&](DrivenApp& self) {
            self.fMainWindow->PostMessage(kCmdBoot);
            if (!eventually([&] { return fake.renders.load() >= 3; })) return;
            kit::synthesize_key(kF2, true, B_SHIFT_KEY);  // save slot 1
            kit::synthesize_key(kF2, false, B_SHIFT_KEY);
            saved = eventually([&] { return fake.captures.load() == 1; });
            kit::synthesize_key(kF2, true);  // load slot 1
            kit::synthesize_key(kF2, false);
            loaded = eventually([&] { return fake.restores.load() == 1; });
            kit::synthesize_key(kF5, true);  // load slot 4: nothing there, which needs no alert
            kit::synthesize_key(kF5, false);
            emptyNoticed = eventually([&] { return self.fMainWindow->Title() == "BePellmora v0.80 - Slot 4 is empty"; });
            std::ofstream(slotPath(fake.hash, 5)) << "not a state";
            kit::synthesize_key(kF6, true);  // load slot 5: refused
            kit::synthesize_key(kF6, false);
            alertShown = eventually([] { return !kit::open_alerts().empty(); });
            alerts = kit::open_alerts().size();
            if (alertShown) text = kit::open_alerts().front().text;
            const int frames = fake.renders.load();
            ranUnderAlert = eventually([&] { return fake.renders.load() > frames + 3; });
            kit::synthesize_key(kReturn, true);
            answered = eventually([] { return kit::open_alerts().empty(); });
            kit::synthesize_close(self.fMainWindow);
        });
        ASSERT_EQ(app.Run(), B_OK);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(saved);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(slotHoldsState(fake.hash, 1));
    EXPECT_TRUE(emptyNoticed);
    EXPECT_NE(out.find("Cannot load slot 4: no state was saved there for this ROM set (" +
                       slotPath(fake.hash, 4) + ").\n"),
              std::string::npos)
        << out;
    EXPECT_TRUE(alertShown);
    EXPECT_EQ(alerts, 1u);
    EXPECT_EQ(text, "Cannot load slot 5: " + slotPath(fake.hash, 5) +
                        " is not a save state (it does not start with the state signature).");
    EXPECT_NE(out.find(text + "\n"), std::string::npos) << out;
    EXPECT_TRUE(ranUnderAlert) << "the game stood still under the alert";
    EXPECT_TRUE(answered);
}
