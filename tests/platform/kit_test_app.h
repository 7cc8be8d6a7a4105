// The kit's event loop over SDL's dummy video driver, driven from a thread of
// its own: a test makes its window, then acts on it while the loop runs.
#pragma once

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "application.h"
#include "key_state.h"
#include "menu.h"
#include "synthetic_input.h"
#include "window.h"
#include "window_capture.h"

namespace kit_test {

// What threads add to one at a time, under a lock of its own.
template <class T>
class Recorded {
public:
    void Add(const T& item) {
        std::lock_guard held(fLock);
        fItems.push_back(item);
    }
    std::vector<T> Items() {
        std::lock_guard held(fLock);
        return fItems;
    }

private:
    std::mutex fLock;
    std::vector<T> fItems;
};

// Runs `drive` on a thread of its own once a `Window` is shown (after
// `beforeShow`), while the application's loop runs on the calling thread;
// keeps the application's own messages.
template <class Window>
class DrivenApp : public BApplication {
public:
    explicit DrivenApp(std::function<void(DrivenApp&)> drive, std::function<void(Window&)> beforeShow = {})
        : BApplication("application/x-vnd.kit-test"), fDrive(std::move(drive)), fBeforeShow(std::move(beforeShow)) {}
    ~DrivenApp() override {
        if (fDriver.joinable()) fDriver.join();
    }
    void ReadyToRun() override {
        window = new Window();
        if (fBeforeShow) fBeforeShow(*window);
        window->Show();
        fDriver = std::thread([this] { fDrive(*this); });
    }
    void MessageReceived(BMessage* message) override { received.Add(*message); }
    // Closes the window and quits, as a test's last step.
    void End() {
        window->PostMessage(B_QUIT_REQUESTED);
        kit::synthesize_quit();
    }
    Window* window = nullptr;
    Recorded<BMessage> received;

private:
    std::function<void(DrivenApp&)> fDrive;
    std::function<void(Window&)> fBeforeShow;
    std::thread fDriver;
};

// Like the program's window: a menu bar (File > Go) over a black view of
// 256 x 224 that follows the window's edges.
class MenuWindow : public BWindow {
public:
    explicit MenuWindow(uint32 flags = 0) : BWindow(BRect(100, 100, 355, 341), "Test", B_TITLED_WINDOW, flags) {
        auto* bar = new BMenuBar(BRect(0, 0, 255, 20), "main");
        auto* file = new BMenu("File");
        file->AddItem(new BMenuItem("Go", new BMessage('go!!')));
        bar->AddItem(file);
        AddChild(bar);
        AddChild(view = new BView(BRect(0, 0, 255, 223), nullptr, B_FOLLOW_ALL_SIDES, 0));
        view->MoveBy(0, 18);
        view->SetViewColor(0, 0, 0, 255);
    }
    BView* view;
};

// Whether `pred` comes to hold within four seconds, polled: the bound fails a
// test that would otherwise hang.
template <class Pred>
bool eventually(Pred pred) {
    for (int i = 0; i < 2000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(2)))
        if (pred()) return true;
    return false;
}

inline void press(int scancode, uint32 modifiers = 0) {
    kit::synthesize_key(scancode, true, modifiers);
    kit::synthesize_key(scancode, false, modifiers);
}

inline bool held(int code) {
    key_info info;
    get_key_info(&info);
    return info.key_states[code / 8] & (0x80 >> (code % 8));
}

inline uint32_t at(const kit::WindowCapture& capture, int x, int y) {
    return capture.pixels[static_cast<size_t>(y) * capture.width + x] & 0xFFFFFF;
}

}  // namespace kit_test
