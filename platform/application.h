// The application: its Run is the event loop on the main thread. It shows
// the windows, draws their views and menu bars, turns menu clicks, the close
// box and key presses into messages and key states, and handles the
// application's own messages.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "looper.h"

class BWindow;
namespace kit { class Gui; }

class BApplication : public BLooper {
public:
    explicit BApplication(const char* signature);
    // Deletes the windows that were shown (their loops have ended by then).
    ~BApplication() override;

    // Opens the display, calls ReadyToRun() and runs the event loop until
    // the application quits. Returns B_OK, or B_ERROR when the display could
    // not be opened (a line on standard error says why; ReadyToRun() is not
    // called then).
    thread_id Run() override;
    void Quit() override;
    virtual void ReadyToRun() {}
    // Agrees once every shown window has closed; asks the open ones to quit
    // (B_QUIT_REQUESTED) otherwise, and quits when the last one has closed.
    bool QuitRequested() override;

    const char* Signature() const { return fSignature.c_str(); }
    int32 CountWindows() const;
    BWindow* WindowAt(int32 index) const;

    // For the kit's windows.
    void AdoptWindow(BWindow* window);
    void ForgetWindow(BWindow* window);
    void WindowClosed(BWindow* window);

protected:
    void MessagePosted() override;
    void DispatchMessage(BMessage* message) override;

private:
    std::string fSignature;
    std::unique_ptr<kit::Gui> fGui;
    bool fRunning = false;
    bool fQuitPending = false;  // main thread only

    // Shown windows. The event loop holds fWindowsLock while it uses them,
    // so a window is never forgotten in the middle of a turn.
    mutable std::mutex fWindowsLock;
    std::vector<BWindow*> fWindows;
};

extern BApplication* be_app;
