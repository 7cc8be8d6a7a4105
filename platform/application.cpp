#include "application.h"

#include <algorithm>
#include <cstdio>

#include "gui.h"
#include "gui_wake.h"
#include "window.h"

BApplication* be_app = nullptr;

namespace {
// Posted to the application when a window's loop has ended.
constexpr uint32 kWindowClosed = 0x5F57434C;  // '_WCL'
}

BApplication::BApplication(const char* signature)
    : BLooper("application"), fSignature(signature ? signature : ""), fGui(std::make_unique<kit::Gui>()) {
    be_app = this;
}

BApplication::~BApplication() {
    // As quitting does: the windows go with the application.
    std::vector<BWindow*> windows;
    {
        std::lock_guard held(fWindowsLock);
        windows.swap(fWindows);
    }
    for (BWindow* window : windows) delete window;
    fGui.reset();
    if (be_app == this) be_app = nullptr;
}

thread_id BApplication::Run() {
    std::string error;
    if (!fGui->Start(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return B_ERROR;
    }
    fRunning = true;
    Lock();
    ReadyToRun();
    Unlock();
    while (!IsQuitting()) {
        while (auto message = NextMessage()) {
            Lock();
            DispatchMessage(message.get());
            Unlock();
        }
        if (IsQuitting()) break;
        fGui->Wait();
        std::lock_guard held(fWindowsLock);
        fGui->Update(fWindows);
    }
    // Windows still open when the application quits on its own end here.
    std::vector<BWindow*> windows;
    {
        std::lock_guard held(fWindowsLock);
        windows = fWindows;
    }
    for (BWindow* window : windows) {
        window->Quit();
        wait_for_thread(window->Thread(), nullptr);
    }
    fGui->Stop();
    fRunning = false;
    return B_OK;
}

void BApplication::Quit() {
    BLooper::Quit();
    kit::wake_gui();
}

void BApplication::MessagePosted() { kit::wake_gui(); }

bool BApplication::QuitRequested() {
    std::vector<BWindow*> open;
    {
        std::lock_guard held(fWindowsLock);
        for (BWindow* window : fWindows)
            if (!window->IsQuitting()) open.push_back(window);
    }
    if (open.empty()) return true;
    fQuitPending = true;
    for (BWindow* window : open) window->PostMessage(B_QUIT_REQUESTED);
    return false;
}

void BApplication::DispatchMessage(BMessage* message) {
    if (message->what != kWindowClosed) {
        BLooper::DispatchMessage(message);
        return;
    }
    if (fQuitPending && QuitRequested()) Quit();
}

int32 BApplication::CountWindows() const {
    std::lock_guard held(fWindowsLock);
    return static_cast<int32>(fWindows.size());
}

BWindow* BApplication::WindowAt(int32 index) const {
    std::lock_guard held(fWindowsLock);
    return index >= 0 && static_cast<size_t>(index) < fWindows.size() ? fWindows[index] : nullptr;
}

void BApplication::AdoptWindow(BWindow* window) {
    {
        std::lock_guard held(fWindowsLock);
        if (std::find(fWindows.begin(), fWindows.end(), window) == fWindows.end()) fWindows.push_back(window);
    }
    kit::wake_gui();
}

void BApplication::ForgetWindow(BWindow* window) {
    std::lock_guard held(fWindowsLock);
    fWindows.erase(std::remove(fWindows.begin(), fWindows.end(), window), fWindows.end());
}

void BApplication::WindowClosed(BWindow*) { PostMessage(kWindowClosed); }
