// Game controllers as keys: the bindings on their own, then controllers
// plugged in and out of the running event loop through SDL's virtual
// joystick driver, their D-pad, left stick and buttons held and released.
#include <gtest/gtest.h>

#include "gamepad_keys.h"
#include "key_state.h"
#include "kit_test_app.h"

namespace {

using kit_test::eventually;

constexpr int kKeyUp = 0x57, kKeyDown = 0x62, kKeyLeft = 0x61, kKeyRight = 0x63;
constexpr int kKeyFire = 0x5D, kKeyJump = 0x5E;

bool held(int code) {
    key_info info;
    get_key_info(&info);
    return info.key_states[code / 8] & (0x80 >> (code % 8));
}

// The bindings the program makes, undone after each test.
class Gamepad : public ::testing::Test {
protected:
    void SetUp() override {
        clear_key_states();
        set_gamepad_binding(B_GAMEPAD_UP, kKeyUp);
        set_gamepad_binding(B_GAMEPAD_DOWN, kKeyDown);
        set_gamepad_binding(B_GAMEPAD_LEFT, kKeyLeft);
        set_gamepad_binding(B_GAMEPAD_RIGHT, kKeyRight);
        set_gamepad_binding(B_GAMEPAD_A, kKeyFire);
        set_gamepad_binding(B_GAMEPAD_B, kKeyJump);
        enable_gamepad_keys(true);
    }
    void TearDown() override {
        enable_gamepad_keys(false);
        for (int control = 0; control < B_GAMEPAD_CONTROLS; ++control)
            set_gamepad_binding(static_cast<gamepad_control>(control), -1);
        set_gamepad_controls(0);
    }
};

class PlainWindow : public BWindow {
public:
    PlainWindow() : BWindow(BRect(0, 0, 99, 99), "Pad", B_TITLED_WINDOW, B_NOT_RESIZABLE) {}
};
using App = kit_test::DrivenApp<PlainWindow>;

// The names the application was told of, as "+name" and "-name".
std::vector<std::string> plugs(App& app) {
    std::vector<std::string> seen;
    for (const BMessage& message : app.Received()) {
        const char* name = nullptr;
        if (message.FindString("name", &name) != B_OK) continue;
        if (message.what == B_GAMEPAD_CONNECTED) seen.push_back(std::string("+") + name);
        if (message.what == B_GAMEPAD_DISCONNECTED) seen.push_back(std::string("-") + name);
    }
    return seen;
}

}  // namespace

TEST_F(Gamepad, HeldControlsHoldTheirKeysOnlyWhileSwitchedOn) {
    set_gamepad_controls(1u << B_GAMEPAD_UP | 1u << B_GAMEPAD_A | 1u << B_GAMEPAD_Y);  // Y is bound to nothing
    EXPECT_TRUE(held(kKeyUp));
    EXPECT_TRUE(held(kKeyFire));
    EXPECT_FALSE(held(kKeyDown));
    EXPECT_FALSE(held(kKeyJump));
    set_key_state(kKeyJump, true);  // the keyboard's keys count as well
    EXPECT_TRUE(held(kKeyJump));
    set_key_state(kKeyJump, false);
    set_key_state(kKeyUp, true);  // held on both: released on one, still held
    set_gamepad_controls(1u << B_GAMEPAD_UP);
    set_key_state(kKeyUp, false);
    EXPECT_TRUE(held(kKeyUp));
    enable_gamepad_keys(false);
    EXPECT_FALSE(held(kKeyUp)) << "switched off: the controller holds nothing";
    enable_gamepad_keys(true);
    set_gamepad_binding(B_GAMEPAD_UP, 128);  // no such key: unbound
    EXPECT_FALSE(held(kKeyUp));
    set_gamepad_binding(static_cast<gamepad_control>(B_GAMEPAD_CONTROLS), kKeyUp);  // ignored
    set_gamepad_controls(~0u);
    key_info info;
    get_key_info(&info);
    int count = 0;
    for (uint8_t byte : info.key_states) count += __builtin_popcount(byte);
    EXPECT_EQ(count, 5) << "down, left, right and the two bound buttons";
}

TEST_F(Gamepad, AVirtualControllerPlaysThroughTheEventLoopAndIsToldWhenPlugged) {
    bool attached = false, connected = false, disconnected = false;
    std::vector<std::string> seen;
    App app([&](App& self) {
        const int pad = kit::attach_virtual_gamepad("Test pad");
        attached = pad >= 0;
        if (!attached) return self.End();
        connected = eventually([&] { return plugs(self) == std::vector<std::string>{"+Test pad"}; });
        // D-pad and buttons.
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_A, true);
        EXPECT_TRUE(eventually([] { return held(kKeyFire); }));
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_UP, true);
        EXPECT_TRUE(eventually([] { return held(kKeyUp); }));
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_A, false);
        EXPECT_TRUE(eventually([] { return !held(kKeyFire); }));
        EXPECT_TRUE(held(kKeyUp));
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_UP, false);
        EXPECT_TRUE(eventually([] { return !held(kKeyUp); }));
        // The left stick counts past half way.
        kit::set_virtual_gamepad_stick(pad, -10000, 10000);
        snooze(30'000);
        EXPECT_FALSE(held(kKeyLeft) || held(kKeyDown)) << "under half way";
        kit::set_virtual_gamepad_stick(pad, 16000, -16000);
        snooze(30'000);
        EXPECT_FALSE(held(kKeyRight) || held(kKeyUp)) << "under half way";
        kit::set_virtual_gamepad_stick(pad, -30000, 20000);
        EXPECT_TRUE(eventually([] { return held(kKeyLeft) && held(kKeyDown); }));
        kit::set_virtual_gamepad_stick(pad, 32767, -32768);
        EXPECT_TRUE(eventually([] { return held(kKeyRight) && held(kKeyUp) && !held(kKeyLeft) && !held(kKeyDown); }));
        kit::set_virtual_gamepad_stick(pad, 0, 0);
        EXPECT_TRUE(eventually([] { return !held(kKeyRight) && !held(kKeyUp); }));
        // A second controller: both play.
        const int second = kit::attach_virtual_gamepad("Second pad");
        EXPECT_GE(second, 0);
        kit::set_virtual_gamepad_control(second, B_GAMEPAD_B, true);
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_A, true);
        EXPECT_TRUE(eventually([] { return held(kKeyJump) && held(kKeyFire); }));
        // Unplugged while a button is held: nothing stays held.
        EXPECT_TRUE(kit::detach_virtual_gamepad(second));
        EXPECT_TRUE(eventually([] { return !held(kKeyJump) && held(kKeyFire); }));
        EXPECT_TRUE(kit::detach_virtual_gamepad(pad));
        EXPECT_TRUE(eventually([] { return !held(kKeyFire); }));
        disconnected = eventually([&] {
            return plugs(self) == std::vector<std::string>{"+Test pad", "+Second pad", "-Second pad", "-Test pad"};
        });
        seen = plugs(self);
        EXPECT_FALSE(kit::detach_virtual_gamepad(pad)) << "already gone";
        EXPECT_FALSE(kit::set_virtual_gamepad_control(pad, B_GAMEPAD_A, true));
        self.End();
    });
    ASSERT_EQ(app.Run(), B_OK);
    ASSERT_TRUE(attached) << "no game-controller support with the dummy video driver";
    EXPECT_TRUE(connected);
    EXPECT_TRUE(disconnected) << ::testing::PrintToString(seen);
    EXPECT_EQ(gamepad_controls(), 0u);
}

TEST(GamepadWithoutLoop, VirtualControllersNeedTheEventLoop) {
    EXPECT_EQ(kit::attach_virtual_gamepad("nowhere"), -1);
    EXPECT_FALSE(kit::set_virtual_gamepad_stick(1, 0, 0));
}
