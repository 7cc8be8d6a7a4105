// For tests that drive the real main window: a window with a sync message
// (answered once every message posted before it has been handled), and the
// release of what a window leaves in process-wide variables.
#pragma once

#include <condition_variable>
#include <mutex>

#include "bevorel_window.h"
#include "menus.h"
#include "presentation.h"

class SyncWindow : public BeVorelWindow {
public:
    static constexpr uint32 kSync = 'sync';

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
