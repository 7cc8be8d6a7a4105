// The event loop over SDL's dummy video driver: keys and shortcuts, and
// alerts. What a step must not do is checked once the message of a shortcut
// pressed after it has come: then it has had its chance. Every item of the real program's menus, disabled ones among them,
// is the desktop test's.
#include <gtest/gtest.h>

#include "alert.h"
#include "alert_queue.h"
#include "kit_test_app.h"
#include "menu_geometry.h"
#include "scancode_map.h"

namespace {

using kit_test::eventually;
using kit_test::held;
using kit_test::press;

constexpr uint32 kAsk = 'ask?', kTell = 'tell';
constexpr int kScancodeA = 4, kScancodeReturn = 40, kScancodeEscape = 41, kScancodeF2 = 59, kScancodeF3 = 60;
constexpr int kCodeA = 0x3C, kCodeEscape = 0x01, kCodeF2 = 0x03, kCodeF3 = 0x04;

// Records the codes of its messages; answers kAsk with an alert that waits
// (recorded as 'ans0' + the button chosen) and kTell with one that does not.
class TestWindow : public kit_test::MenuWindow {
public:
    TestWindow() : MenuWindow(B_NOT_RESIZABLE) {}
    void MessageReceived(BMessage* message) override {
        uint32 what = message->what;
        if (what == kAsk) what = 'ans0' + (new BAlert("Question", "Go on?\n\tReally?", "No", "Yes"))->Go();
        if (what == kTell && (new BAlert("Note", "Noted.", "Ok"))->Go(nullptr) != B_OK) what = 0;
        received.Add(what);
    }
    kit_test::Recorded<uint32> received;
};
using TestApp = kit_test::DrivenApp<TestWindow>;

}  // namespace

TEST(Application, KeysHoldTheirPlacesAndShortcutsBecomeMessages) {
    bool aHeld = false, f2Held = true, ctrlF3Held = false, removedHeld = false;
    TestApp app([&](TestApp& self) {
        TestWindow& w = *self.window;
        clear_key_states();
        w.AddShortcut(kCodeF2, 0, new BMessage('f2  '), new BMessage('f2up'));
        w.AddShortcut(kCodeF2, B_SHIFT_KEY, new BMessage('F2  '));
        w.AddShortcut(kCodeF3, 0, new BMessage('f3  '));
        w.AddShortcut(kCodeF3, 0, new BMessage('f3!!'));  // replaces the first
        w.AddShortcut(kCodeEscape, 0, new BMessage('esc '));
        w.AddShortcut(kCodeF3, B_OPTION_KEY, new BMessage('F3o '));
        kit::synthesize_key(kScancodeA, true);
        aHeld = eventually([] { return held(kCodeA); });
        kit::synthesize_key(kScancodeA, false);
        kit::synthesize_key(kScancodeF2, true);
        EXPECT_TRUE(eventually([&] { return w.received.Items().size() == 1; }));
        f2Held = held(kCodeF2) || held(kCodeA);
        kit::synthesize_key(kScancodeF2, false);
        press(kScancodeF2, B_SHIFT_KEY);  // no release message
        press(kScancodeF3, B_OPTION_KEY);
        kit::synthesize_key(kScancodeF3, true, B_CONTROL_KEY);  // with Control no shortcut: a key
        ctrlF3Held = eventually([] { return held(kCodeF3); });
        kit::synthesize_key(kScancodeF3, false, B_CONTROL_KEY);
        w.RemoveShortcut(kCodeF2, B_SHIFT_KEY);
        kit::synthesize_key(kScancodeF2, true, B_SHIFT_KEY);
        removedHeld = eventually([] { return held(kCodeF2); });
        kit::synthesize_key(kScancodeF2, false, B_SHIFT_KEY);
        press(kScancodeF3);
        press(kScancodeEscape);
        EXPECT_TRUE(eventually([&] { return w.received.Items().size() == 6; }));
        kit::WindowCapture frame;  // an item of the bar itself, clicked
        EXPECT_TRUE(eventually([&] { return kit::capture_window(&w, frame) && kit::menu_geometry(&w).titles.size() == 2; }));
        const kit::MenuBox help = kit::menu_geometry(&w).titles.at(1);
        for (const bool down : {false, true, false})
            kit::synthesize_pointer(&w, (help.left + help.right) / 2, (help.top + help.bottom) / 2, down), kit::capture_window(&w, frame);
        EXPECT_TRUE(eventually([&] { return w.received.Items().size() == 7; }));
        kit::release_pointer(&w);
        self.End();
    }, [](TestWindow& w) { w.KeyMenuBar()->AddItem(new BMenuItem("Help", new BMessage('help'))); });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_TRUE(aHeld && ctrlF3Held);
    EXPECT_FALSE(f2Held) << "a shortcut's key reached the key state";
    EXPECT_TRUE(removedHeld) << "a removed shortcut's key is a key again";
    EXPECT_EQ(app.window->received.Items(), (std::vector<uint32>{'f2  ', 'f2up', 'F2  ', 'F3o ', 'f3!!', 'esc ', 'help'}));
    EXPECT_EQ(beos_key_for_scancode(512), -1) << "past SDL's scancodes: no key";
}

TEST(Application, AlertsTakeTheKeyboardUntilAnswered) {
    std::vector<kit::OpenAlert> asked;
    TestApp app([&](TestApp& self) {
        TestWindow& w = *self.window;
        w.AddShortcut(kCodeF2, 0, new BMessage('f2  '));
        w.AddShortcut(kCodeF3, 0, new BMessage('f3  '));
        // Go() waits: Return chooses the last button, Escape the first.
        for (const int key : {kScancodeReturn, kScancodeEscape}) {
            const size_t count = w.received.Items().size() + 1;
            kit::WindowCapture before, shown;
            EXPECT_TRUE(kit::capture_window(&w, before));
            w.PostMessage(kAsk);
            EXPECT_TRUE(eventually([] { return kit::open_alerts().size() == 1; }));
            asked = kit::open_alerts();
            EXPECT_TRUE(eventually([&] { return kit::capture_window(&w, shown) && shown.pixels != before.pixels; }))
                << "the alert is not shown";
            press(kScancodeF2);
            kit::synthesize_key(key, true);
            EXPECT_TRUE(eventually([&] { return w.received.Items().size() == count; }));
        }
        // Go(nullptr) returns at once; its alerts queue and are answered in turn.
        w.PostMessage(kTell);
        w.PostMessage(kTell);
        EXPECT_TRUE(eventually([] { return kit::open_alerts().size() == 2; }));
        for (const int key : {kScancodeF2, kScancodeReturn, kScancodeReturn}) press(key);
        EXPECT_TRUE(eventually([] { return kit::open_alerts().empty(); }));
        press(kScancodeF3);
        EXPECT_TRUE(eventually([&] { return w.received.Items().size() == 5; }));
        w.PostMessage(kTell);  // left open: dropped when the loop ends
        EXPECT_TRUE(eventually([] { return kit::open_alerts().size() == 1; }));
        kit::answer_alert(kit::open_alerts()[0].id, 1);  // no such button, no such alert: no answer
        kit::answer_alert(kit::open_alerts()[0].id + 1, 0);
        EXPECT_EQ(kit::open_alerts().size(), 1u);
        EXPECT_EQ((new BAlert("t", "x", nullptr))->Go(), B_ERROR) << "no button";
        self.End();
    });
    ASSERT_EQ(app.Run(), B_OK);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Question");
    EXPECT_EQ(asked[0].buttons, (std::vector<std::string>{"No", "Yes"}));
    EXPECT_EQ(app.window->received.Items(), (std::vector<uint32>{'ans1', 'ans0', kTell, kTell, 'f3  ', kTell}));
    EXPECT_TRUE(kit::open_alerts().empty());
    EXPECT_EQ((new BAlert("t", "x", "Ok"))->Go(), B_ERROR) << "no running application";
    EXPECT_EQ((new BAlert("t", "x", "Ok"))->Go(nullptr), B_ERROR);
    const BAlert three("t", "x", "A", "B", "C");
    EXPECT_TRUE(three.ButtonLabel(2) == std::string("C") && !three.ButtonLabel(3) && !three.ButtonLabel(-1));
}

