// The kit's event loop over SDL's dummy video driver, driven from a thread of
// its own: a test makes its window, then acts on it while the loop runs.
#pragma once

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "application.h"
#include "kernel.h"
#include "message.h"
#include "synthetic_input.h"
#include "window.h"

namespace kit_test {

// Runs `drive` on a thread of its own once a `Window` is shown, while the
// application's loop runs on the calling thread; keeps the application's own
// messages.
template <class Window>
class DrivenApp : public BApplication {
public:
    explicit DrivenApp(std::function<void(DrivenApp&)> drive)
        : BApplication("application/x-vnd.kit-test"), fDrive(std::move(drive)) {}
    ~DrivenApp() override {
        if (fDriver.joinable()) fDriver.join();
    }
    void ReadyToRun() override {
        window = new Window();
        if (beforeShow) beforeShow(*window);
        window->Show();
        fDriver = std::thread([this] { fDrive(*this); });
    }
    void MessageReceived(BMessage* message) override {
        std::lock_guard held(fLock);
        fReceived.push_back(*message);
    }
    std::vector<BMessage> Received() {
        std::lock_guard held(fLock);
        return fReceived;
    }
    // Closes the window and quits, as a test's last step.
    void End() {
        window->PostMessage(B_QUIT_REQUESTED);
        kit::synthesize_quit();
    }
    Window* window = nullptr;
    // What is done to the window before it is shown (its scale, full screen).
    std::function<void(Window&)> beforeShow;

private:
    std::function<void(DrivenApp&)> fDrive;
    std::thread fDriver;
    std::mutex fLock;
    std::vector<BMessage> fReceived;
};

template <class Pred>
bool eventually(Pred pred) {
    for (int i = 0; i < 2000; ++i) {
        if (pred()) return true;
        snooze(2000);
    }
    return false;
}

}  // namespace kit_test
