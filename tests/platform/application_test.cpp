// The event loop over SDL's dummy video driver: what a window shows, keys,
// alerts, the close box and quitting.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "alert.h"
#include "alert_queue.h"
#include "application.h"
#include "key_state.h"
#include "kit_test_app.h"
#include "menu.h"
#include "menu_geometry.h"
#include "synthetic_input.h"
#include "window.h"
#include "window_capture.h"

namespace {

constexpr uint32 kAsk = 'ask?';
constexpr uint32 kTell = 'tell';
constexpr int kScancodeA = 4, kScancodeReturn = 40, kScancodeEscape = 41, kScancodeF2 = 59, kScancodeF3 = 60;
constexpr int kCodeF2 = 0x03, kCodeF3 = 0x04;

class TestWindow : public BWindow {
public:
    TestWindow() : BWindow(BRect(100, 100, 356, 344), "Test", B_TITLED_WINDOW, B_NOT_RESIZABLE) {
        auto* bar = new BMenuBar(BRect(0, 0, 256, 20), "main");
        auto* file = new BMenu("File");
        file->AddItem(new BMenuItem("Go", new BMessage('go!!')));
        bar->AddItem(file);
        AddChild(bar);
        view = new BView(BRect(0, 0, 256, 224), nullptr, B_FOLLOW_ALL_SIDES, 0);
        AddChild(view);
        view->MoveBy(0, 18);
        view->SetViewColor(0, 0, 0, 255);
    }
    void MessageReceived(BMessage* message) override {
        if (message->what == kTell) {
            told = (new BAlert("Note", "Noted.", "Ok"))->Go(nullptr);
            return;
        }
        if (message->what != kAsk) {
            std::lock_guard held(fReceivedLock);
            fReceived.push_back(message->what);
            entry_ref ref;
            if (message->FindRef("refs", &ref) == B_OK) fDropped.push_back(ref.path());
            return;
        }
        answer = (new BAlert("Question", "Go on?\n\tReally?", "No", "Yes"))->Go();
        answered = true;
    }
    std::vector<uint32> Received() {
        std::lock_guard held(fReceivedLock);
        return fReceived;
    }
    std::vector<std::string> Dropped() {
        std::lock_guard held(fReceivedLock);
        return fDropped;
    }
    bool QuitRequested() override {
        quitAsked.fetch_add(1);
        return true;
    }
    BView* view;
    std::atomic<int32> answer{-2};
    std::atomic<bool> answered{false};
    std::atomic<int> quitAsked{0};
    std::atomic<status_t> told{1};

private:
    std::mutex fReceivedLock;
    std::vector<uint32> fReceived;
    std::vector<std::string> fDropped;
};

using TestApp = kit_test::DrivenApp<TestWindow>;
using kit_test::eventually;

bool keyHeld(int code) {
    key_info info;
    get_key_info(&info);
    return info.key_states[code / 8] & (0x80 >> (code % 8));
}

uint32_t at(const kit::WindowCapture& capture, int x, int y) {
    return capture.pixels[static_cast<size_t>(y) * capture.width + x] & 0xFFFFFF;
}

}  // namespace

TEST(Application, ShowsTheLastDrawnBitmapInFifteenBitColour) {
    kit::WindowCapture before, after;
    bool capturedBefore = false, capturedAfter = false;
    TestApp app([&](TestApp& self) {
        capturedBefore = kit::capture_window(self.window, before);
        BBitmap bitmap(BRect(0, 0, 256, 224), B_RGB15);
        auto* pixels = static_cast<uint16_t*>(bitmap.Bits());
        const int stride = bitmap.BytesPerRow() / 2;
        pixels[0] = 0x7C00;               // red
        pixels[1] = 0x7FFF;               // white
        pixels[2] = 0xFFFF;               // white: bit 15 has no effect
        pixels[3] = 0x001F;               // blue
        pixels[4] = 0x03E0;               // green
        pixels[stride * 224 + 256] = 0x7FFF;  // the bottom-right corner
        self.window->Lock();
        self.window->view->DrawBitmap(&bitmap);
        self.window->Unlock();
        capturedAfter = kit::capture_window(self.window, after);
        self.window->PostMessage(B_QUIT_REQUESTED);
        kit::synthesize_quit();
    });
    ASSERT_EQ(app.Run(), B_OK);
    ASSERT_TRUE(capturedBefore);
    ASSERT_TRUE(capturedAfter);
    ASSERT_EQ(after.width, 257);
    ASSERT_EQ(after.height, 245);
    EXPECT_EQ(at(before, 0, 18), 0x000000u);  // the view's black before any drawing
    EXPECT_EQ(at(before, 128, 200), 0x000000u);
    EXPECT_EQ(at(after, 0, 18), 0xFF0000u);
    EXPECT_EQ(at(after, 1, 18), 0xFFFFFFu);
    EXPECT_EQ(at(after, 2, 18), 0xFFFFFFu);
    EXPECT_EQ(at(after, 3, 18), 0x0000FFu);
    EXPECT_EQ(at(after, 4, 18), 0x00FF00u);
    EXPECT_EQ(at(after, 5, 18), 0x000000u);
    EXPECT_EQ(at(after, 256, 242), 0xFFFFFFu);
    EXPECT_NE(at(after, 200, 8), 0x000000u);  // the menu bar above the view
}

TEST(Application, KeysReachTheKeyStateByPosition) {
    bool pressed = false, released = false;
    TestApp app([&](TestApp& self) {
        clear_key_states();
        kit::synthesize_key(kScancodeA, true);
        pressed = eventually([] { return keyHeld(0x3C); });
        kit::synthesize_key(kScancodeA, false);
        released = eventually([] { return !keyHeld(0x3C); });
        self.window->PostMessage(B_QUIT_REQUESTED);
        kit::synthesize_quit();
    });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(released);
}

TEST(Application, AlertBlocksTheWindowThreadUntilAButtonIsChosen) {
    bool shown = false, blocked = false;
    TestApp app([&](TestApp& self) {
        self.window->PostMessage(kAsk);
        shown = eventually([] { return !kit::open_alerts().empty(); });
        if (shown) {
            const auto alert = kit::open_alerts().front();
            EXPECT_EQ(alert.title, "Question");
            EXPECT_EQ(alert.buttons.size(), 2u);
        }
        snooze(50'000);
        blocked = !self.window->answered.load();
        kit::synthesize_key(kScancodeReturn, true);  // the default button, the last
        eventually([&] { return self.window->answered.load(); });
        self.window->PostMessage(kAsk);
        eventually([] { return !kit::open_alerts().empty(); });
        self.window->answered = false;
        kit::synthesize_key(kScancodeEscape, true);
        eventually([&] { return self.window->answered.load(); });
        self.window->PostMessage(B_QUIT_REQUESTED);
        kit::synthesize_quit();
    });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(blocked);
    EXPECT_EQ(app.window->answer.load(), 0);  // Escape chose the first
    EXPECT_TRUE(kit::open_alerts().empty());
}

TEST(Application, ShortcutKeysBecomeMessagesAndNeverReachTheKeyState) {
    std::vector<uint32> received;
    bool f2Held = true, f3HeldWithControl = false, f2HeldOnceRemoved = false;
    TestApp app([&](TestApp& self) {
        clear_key_states();
        self.window->AddShortcut(kCodeF2, 0, new BMessage('f2  '), new BMessage('f2up'));
        self.window->AddShortcut(kCodeF2, B_SHIFT_KEY, new BMessage('F2  '));
        self.window->AddShortcut(kCodeF3, 0, new BMessage('f3  '));
        self.window->AddShortcut(kCodeF3, 0, new BMessage('f3!!'));  // replaces the first
        const auto got = [&](size_t n) { return eventually([&] { return self.window->Received().size() >= n; }); };
        kit::synthesize_key(kScancodeF2, true);
        got(1);
        f2Held = keyHeld(kCodeF2);
        kit::synthesize_key(kScancodeF2, false);
        got(2);
        kit::synthesize_key(kScancodeF2, true, B_SHIFT_KEY);
        kit::synthesize_key(kScancodeF2, false, B_SHIFT_KEY);  // no release message
        kit::synthesize_key(kScancodeF3, true);
        got(4);
        // With Control, F3 is no shortcut: it is a key like any other.
        kit::synthesize_key(kScancodeF3, true, B_CONTROL_KEY);
        f3HeldWithControl = eventually([] { return keyHeld(kCodeF3); });
        kit::synthesize_key(kScancodeF3, false, B_CONTROL_KEY);
        self.window->RemoveShortcut(kCodeF2, B_SHIFT_KEY);
        kit::synthesize_key(kScancodeF2, true, B_SHIFT_KEY);
        f2HeldOnceRemoved = eventually([] { return keyHeld(kCodeF2); });
        kit::synthesize_key(kScancodeF2, false, B_SHIFT_KEY);
        snooze(20'000);
        received = self.window->Received();
        self.window->PostMessage(B_QUIT_REQUESTED);
        kit::synthesize_quit();
    });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_FALSE(f2Held);
    EXPECT_EQ(received, (std::vector<uint32>{'f2  ', 'f2up', 'F2  ', 'f3!!'}));
    EXPECT_TRUE(f3HeldWithControl);
    EXPECT_TRUE(f2HeldOnceRemoved) << "a removed shortcut's key is a key again";
}

TEST(Application, AnAlertThatDoesNotWaitShowsUntilAnsweredAndShortcutsWaitForIt) {
    bool shown = false, gone = false;
    std::vector<uint32> received;
    TestApp app([&](TestApp& self) {
        self.window->AddShortcut(kCodeF2, 0, new BMessage('f2  '));
        self.window->PostMessage(kTell);
        shown = eventually([] { return kit::open_alerts().size() == 1; });
        if (shown) EXPECT_EQ(kit::open_alerts().front().text, "Noted.");
        kit::synthesize_key(kScancodeF2, true);  // the alert has the keyboard
        kit::synthesize_key(kScancodeF2, false);
        snooze(30'000);
        received = self.window->Received();
        self.window->PostMessage(kTell);  // the window's thread never waited
        eventually([] { return kit::open_alerts().size() == 2; });
        kit::synthesize_key(kScancodeReturn, true);
        kit::synthesize_key(kScancodeReturn, true);
        gone = eventually([] { return kit::open_alerts().empty(); });
        self.window->PostMessage(kTell);  // left open: dropped when the loop ends
        eventually([] { return kit::open_alerts().size() == 1; });
        self.window->PostMessage(B_QUIT_REQUESTED);
        kit::synthesize_quit();
    });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_TRUE(shown);
    EXPECT_EQ(app.window->told.load(), B_OK);
    EXPECT_TRUE(received.empty()) << "a shortcut acted under an open alert";
    EXPECT_TRUE(gone);
    EXPECT_TRUE(kit::open_alerts().empty());
    EXPECT_EQ((new BAlert("t", "x", "Ok"))->Go(nullptr), B_ERROR) << "no running application";
}

TEST(Application, TheCloseBoxAsksTheWindowToQuit) {
    TestApp app([&](TestApp& self) {
        kit::synthesize_close(self.window);
        eventually([&] { return self.window->IsQuitting(); });
        be_app->PostMessage(B_QUIT_REQUESTED);
    });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_EQ(app.window->quitAsked.load(), 1);
}

TEST(Application, QuittingTheApplicationClosesItsWindowsFirst) {
    TestApp app([&](TestApp&) { kit::synthesize_quit(); });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_EQ(app.window->quitAsked.load(), 1);
    EXPECT_TRUE(app.window->IsQuitting());
}

TEST(Application, AlertsNeedARunningApplication) {
    EXPECT_EQ((new BAlert("t", "x", "Ok"))->Go(), B_ERROR);
}

TEST(Application, EscapeClosesOpenMenusBeforeItIsAShortcut) {
    bool opened = false, closed = false;
    std::vector<uint32> whileOpen, afterwards;
    TestApp app([&](TestApp& self) {
        self.window->AddShortcut(0x01, 0, new BMessage('esc '));  // Escape
        kit::WindowCapture frame;
        kit::capture_window(self.window, frame);
        const kit::MenuBox title = kit::menu_geometry(self.window).titles.at(0);
        const float x = (title.left + title.right) / 2, y = (title.top + title.bottom) / 2;
        kit::synthesize_pointer(self.window, x, y, true);
        kit::capture_window(self.window, frame);
        kit::synthesize_pointer(self.window, x, y, false);
        opened = eventually([&] {
            kit::capture_window(self.window, frame);
            return !kit::menu_geometry(self.window).menus.empty();
        });
        kit::release_pointer(self.window);
        kit::synthesize_key(kScancodeEscape, true);
        kit::synthesize_key(kScancodeEscape, false);
        closed = eventually([&] {
            kit::capture_window(self.window, frame);
            return kit::menu_geometry(self.window).menus.empty();
        });
        snooze(20'000);
        whileOpen = self.window->Received();
        kit::synthesize_key(kScancodeEscape, true);  // no menu open: the shortcut
        kit::synthesize_key(kScancodeEscape, false);
        eventually([&] { return !self.window->Received().empty(); });
        afterwards = self.window->Received();
        self.End();
    });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(whileOpen.empty()) << "Escape closing menus was also the shortcut";
    EXPECT_EQ(afterwards, std::vector<uint32>{'esc '});
}

TEST(Application, AnEntryDroppedOnTheWindowArrivesWithItsReference) {
    std::vector<uint32> received;
    std::vector<std::string> dropped;
    TestApp app([&](TestApp& self) {
        EXPECT_TRUE(kit::synthesize_drop(self.window, "/srv/games/set one"));
        EXPECT_FALSE(kit::synthesize_drop(self.window, ""));
        eventually([&] { return !self.window->Dropped().empty(); });
        snooze(20'000);
        received = self.window->Received();
        dropped = self.window->Dropped();
        self.End();
    });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_EQ(received, std::vector<uint32>{B_SIMPLE_DATA});
    EXPECT_EQ(dropped, std::vector<std::string>{"/srv/games/set one"});
}
