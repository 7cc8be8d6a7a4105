// For tests that drive the real main window: a window with a sync message
// (answered once every message posted before it has been handled), the
// shell's process-wide variables as at program start, and the release of
// what a window leaves in them.
#pragma once

#include <condition_variable>
#include <mutex>

#include <cstring>

#include "bevorel_window.h"
#include "emulation.h"
#include "gamepad_keys.h"
#include "key_codes.h"
#include "menus.h"
#include "paths.h"
#include "presentation.h"

class SyncWindow : public BeVorelWindow {
public:
    static constexpr uint32 kSync = 'sync';

    explicit SyncWindow(Machine& machine) : BeVorelWindow(machine) {}

    void MessageReceived(BMessage* message) override {
        if (message->what != kSync) {
            BeVorelWindow::MessageReceived(message);
            return;
        }
        int32 token = 0;
        message->FindInt32("token", &token);
        std::lock_guard held(fLock);
        fHandled = token;
        fSynced.notify_all();
    }

    // Posts a sync message and waits for its answer.
    void Sync() {
        BMessage sync(kSync);
        int32 token;
        {
            std::lock_guard held(fLock);
            token = ++fPosted;
        }
        sync.AddInt32("token", token);
        PostMessage(&sync);
        std::unique_lock held(fLock);
        fSynced.wait(held, [&] { return fHandled >= token; });
    }

private:
    std::mutex fLock;
    std::condition_variable fSynced;
    int32 fPosted = 0;
    int32 fHandled = 0;
};

// Frees what a window left in process-wide variables (the program never does).
inline void releaseSurface() {
    delete mOffscreen;
    mOffscreen = nullptr;
    delete screen;
    screen = nullptr;
    delete Load;
    Load = nullptr;
    mView = nullptr;
    menuBar = nullptr;
}

// The shell's process-wide variables as at program start (the program's own
// path excepted: each test program sets the one it needs).
inline void resetShellGlobals() {
    romPath[0] = '\0';
    chooseSpeed(Speed::Fps60);
    snoozeTime = newSnoozeTime;
    debugOn = 0;
    wpaused = 0;
    enable_gamepad_keys(false);
    cpuTimeStart = cpuTimeEnd = 0;
    cpuTotalFrames = 0;
    controlType = 0;
    const uint8_t initialKeys[4] = {kKeyS, kKeyD, kKeyQ, kKeyB};
    std::memcpy(keyboardConfig, initialKeys, 4);
}
