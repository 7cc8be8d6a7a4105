// The main window over a fake board, driven through posted messages, and
// the shell's process-wide state as at program start.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "bevorel_window.h"
#include "emulation.h"
#include "fake_machine.h"
#include "isolated_home.h"
#include "menus.h"
#include "paths.h"
#include "presentation.h"
#include "window_harness.h"

// The shell's process-wide state as at program start, and an empty home (no
// settings file, no save states).
inline void resetShellState() {
    test_home::isolatedHome().clear();
    std::strcpy(execPath, "/opt/games/bevorel/bin/bevorel");
    resetShellGlobals();
}

// The sync window that can also hold its lock for a while.
class TestWindow : public SyncWindow {
public:
    using SyncWindow::SyncWindow;
    // Handles kHold by holding the window's lock for `holdMs` milliseconds.
    static constexpr uint32 kHold = 'hold';
    std::atomic<int> holdMs{100};
    void MessageReceived(BMessage* message) override {
        if (message->what == kHold) snooze(holdMs.load() * 1000);
        else SyncWindow::MessageReceived(message);
    }
    // Posts `code` and returns once the window has handled it.
    void Send(uint32 code) {
        PostMessage(code);
        Sync();
    }
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
    void SetUp() override {
        resetShellState();
        OpenWindow();
    }
    void TearDown() override {
        fake.monitorWaits = false;
        CloseWindow();
    }
    void OpenWindow() {
        window = new TestWindow(fake);
        window->Show();
        quit = false;
    }
    // Quits the window (unless it was) and deletes it.
    void CloseWindow() {
        if (!quit) QuitAndCaptureOutput();
        delete window;
        window = nullptr;
        releaseSurface();
    }
    // Quits the window as the Quit command does and returns what it printed.
    std::string QuitAndCaptureOutput() {
        std::fflush(stdout);
        testing::internal::CaptureStdout();
        window->PostMessage(B_QUIT_REQUESTED);
        eventually([&] { return window->IsQuitting(); });
        wait_for_thread(window->Thread(), nullptr);
        std::fflush(stdout);
        quit = true;
        return testing::internal::GetCapturedStdout();
    }
    thread_state EmulationState() const {
        thread_info info;
        return get_thread_info(window->fCpuThread, &info) == B_OK ? info.state : static_cast<thread_state>(0);
    }
    // Waits until the emulation thread has presented `frames` more frames.
    bool WaitForFrames(int frames) {
        const int start = fake.renders.load();
        return eventually([&] { return fake.renders.load() >= start + frames; });
    }

    FakeMachine fake;
    TestWindow* window = nullptr;
    bool quit = false;
};
