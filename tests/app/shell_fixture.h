// The main window and the application over a fake board.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "bevorel_app.h"
#include "bevorel_window.h"
#include "emulation.h"
#include "fake_machine.h"
#include "isolated_home.h"
#include "launch_options.h"
#include "menus.h"
#include "paths.h"
#include "presentation.h"
#include "rom_set_location.h"
#include "window_harness.h"

// The shell's process-wide state as at program start, and an empty home (no
// settings file, no save states).
void resetShellState();

// The sync window that can also hold its lock for a while.
class TestWindow : public SyncWindow {
public:
    using SyncWindow::SyncWindow;
    void MessageReceived(BMessage* message) override;
    // Posts `code` and returns once the window has handled it.
    void Send(uint32 code);
    // Handles kHold by holding the window's lock for `holdMs` milliseconds.
    static constexpr uint32 kHold = 'hold';
    std::atomic<int> holdMs{100};
};

template <class Pred>
bool eventually(Pred pred, int milliseconds = 10000) {
    for (int waited = 0; waited < milliseconds; waited += 2) {
        if (pred()) return true;
        snooze(2000);
    }
    return pred();
}

// A window over `fake`, driven through posted messages.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a window over `fake`; quits the window and deletes it.
    void OpenWindow();
    void CloseWindow();
    // Quits the window as the Quit command does and returns what it printed.
    std::string QuitAndCaptureOutput();

    bool Booted() const { return romPath[0] != '\0'; }
    thread_state EmulationState() const;
    // Waits until the emulation thread has presented `frames` more frames.
    bool WaitForFrames(uint32_t frames);

    FakeMachine fake;
    TestWindow* window = nullptr;
    bool quit = false;
};

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

// For tests of the whole program's loop over `fake`, started with `options`:
// the shell's state as at program start, the surface freed after.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { resetShellState(); }
    void TearDown() override { releaseSurface(); }

    FakeMachine fake;
    LaunchOptions options;
};
