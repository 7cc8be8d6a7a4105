// The main window over a fake board, driven through posted messages, and
// the shell's process-wide state as at program start.
#pragma once

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "bevorel_window.h"
#include "emulation.h"
#include "isolated_home.h"
#include "machine.h"
#include "menus.h"
#include "paths.h"
#include "presentation.h"
#include "window_harness.h"

// A stand-in for the board, so the shell's tests control start-up success
// and see every reset and frame.
class FakeMachine final : public Machine {
public:
    std::atomic<bool> startUpSucceeds{true};  // whether the next start-up makes the board ready
    std::atomic<int> resets{0}, renders{0};
    // Save states: the machine's whole state is one counter that every
    // unpaused frame advances; a state carries it in D0, and the speed.
    std::atomic<uint32_t> counter{0};
    std::atomic<uint64_t> hash{0x0123456789ABCDEFull};  // the ROM set's, once started
    // Captures made by the window's commands (those of the emulation
    // thread's history, after its frames, are not counted), and restores.
    mutable std::atomic<int> captures{0};
    std::atomic<int> restores{0};

    bool startUp(const std::string&, const RomSetSource&) override { return fReady = startUpSucceeds.load(); }
    bool ready() const override { return fReady; }
    std::string startUpFailure() const override { return ""; }
    void powerOn() override {}
    void reset() override { ++resets; }
    void shutDown() override {}
    void setKeySource(KeySource) override {}
    const uint16_t* render(bool, bool paused, int) override {
        const int frame = ++renders;
        if (paused) return fPicture;
        ++counter;
        for (auto& pixel : fPicture) pixel = static_cast<uint16_t>(frame & 0x7FFF);
        return fPicture;
    }
    const uint16_t* runFrame(const KeyStates&, const FrameRun&) override { return render(false, false, 60); }
    FramePoint runFrameStepping(const KeyStates&, const std::function<bool()>&) override { return {}; }
    const uint16_t* finishFrame(const FramePoint&) override { return fPicture; }
    KeyStates lastFrameKeys() const override { return {}; }
    const uint16_t* picture() const override { return fPicture; }
    const uint16_t* drawPicture() override { return fPicture; }
    uint32_t cycles() const override { return 0; }
    void setServiceMode(bool on) override { fServiceMode = on; }
    bool serviceMode() const override { return fServiceMode; }
    void setSpeed(Speed speed) override { fSpeed = speed; }
    Speed speed() const override { return fSpeed; }
    uint64_t romSetHash() const override { return fReady ? hash.load() : 0; }
    void capture(BoardState& state) const override {
        char thread[16] = "";
        pthread_getname_np(pthread_self(), thread, sizeof thread);
        if (std::strcmp(thread, "cpuThread") != 0) ++captures;
        state = BoardState{};
        state.dreg[0] = counter;
        state.speed = fSpeed;
    }
    void restore(const BoardState& state) override {
        ++restores;
        counter = state.dreg[0];
        fSpeed = state.speed;
    }
    std::optional<uint16_t> peekWord(uint32_t) const override { return std::nullopt; }
    std::span<unsigned char> memory(Memory) override { return {}; }
    void setConsole(ConsoleSink) override {}
    void setMonitorChecks(void (*)(), bool (*)()) override {}
    void setDebugger(void (*)(), uint32_t (*)(int32_t)) override {}

private:
    std::atomic<bool> fReady{false}, fServiceMode{false};
    std::atomic<Speed> fSpeed{Speed::Fps60};
    uint16_t fPicture[kScreenWidth * kScreenHeight] = {};
};

// The shell's process-wide state as at program start, and an empty home (no
// settings file, no save states).
inline void resetShellState() {
    test_home::isolatedHome().clear();
    std::strcpy(execPath, "/opt/games/bevorel/bin/bevorel");
    resetShellGlobals();
}

class TestWindow : public SyncWindow {
public:
    using SyncWindow::SyncWindow;
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
    void TearDown() override { CloseWindow(); }
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
        return get_thread_info(window->emulationThread(), &info) == B_OK ? info.state : static_cast<thread_state>(0);
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
