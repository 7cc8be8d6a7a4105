// Game controllers as keys: the bindings on their own, then controllers
// plugged in and out of the running event loop through SDL's virtual
// joystick driver, their D-pad, left stick and buttons held and released.
#include <gtest/gtest.h>

#include "gamepad_keys.h"
#include "kit_test_app.h"

namespace {

using kit_test::eventually;

constexpr std::pair<gamepad_control, int> kBindings[] = {{B_GAMEPAD_UP, 0x57},   {B_GAMEPAD_DOWN, 0x62},
                                                         {B_GAMEPAD_LEFT, 0x61}, {B_GAMEPAD_RIGHT, 0x63},
                                                         {B_GAMEPAD_A, 0x5D},    {B_GAMEPAD_B, 0x5E}};

// The keys bound above that are held, as "UDLRAB" with '.' for those not held.
std::string keys() {
    std::string shown;
    for (int i = 0; i < 6; ++i) shown += kit_test::held(kBindings[i].second) ? "UDLRAB"[i] : '.';
    return shown;
}

class Gamepad : public ::testing::Test {
protected:
    void SetUp() override {
        clear_key_states();
        for (const auto& [control, key] : kBindings) set_gamepad_binding(control, key);
        enable_gamepad_keys(true);
    }
    void TearDown() override { enable_gamepad_keys(false); }
};

struct PlainWindow : BWindow {  // no menu bar
    PlainWindow() : BWindow(BRect(0, 0, 99, 99), "Pad", B_TITLED_WINDOW, B_NOT_RESIZABLE) {}
};
using App = kit_test::DrivenApp<PlainWindow>;

}  // namespace

TEST_F(Gamepad, HeldControlsHoldTheirKeysWhileSwitchedOn) {
    set_gamepad_controls(1u << B_GAMEPAD_UP | 1u << B_GAMEPAD_A | 1u << B_GAMEPAD_Y);  // Y is bound to nothing
    set_key_state(0x5E, true);  // the keyboard's keys count as well
    EXPECT_EQ(keys(), "U...AB");
    set_key_state(0x5E, false);
    set_key_state(0x57, true);  // held on both: released on one, still held
    set_key_state(0x57, false);
    EXPECT_EQ(keys(), "U...A.");
    enable_gamepad_keys(false);
    EXPECT_EQ(keys(), "......");
    enable_gamepad_keys(true);
    set_gamepad_binding(B_GAMEPAD_UP, 128);  // no such key: unbound
    set_gamepad_binding(static_cast<gamepad_control>(B_GAMEPAD_CONTROLS), 0x57);  // no such control: ignored
    EXPECT_EQ(keys(), "....A.");
    uint8_t states[17] = {};  // one byte past the 128 keys
    add_gamepad_keys(states);
    EXPECT_EQ(states[16], 0) << "a key past the last one";
    set_gamepad_binding(B_GAMEPAD_A, -1);
    EXPECT_EQ(keys(), "......");
    set_gamepad_controls(0);
}

// Each step waits for the keys it must give. A stick is read with B pressed
// after it: once B shows, so do the stick's keys. Plugging in and out as the
// shell tells it is the shell's tests'.
TEST_F(Gamepad, VirtualControllersPlayThroughTheEventLoop) {
    App app([&](App& self) {
        const auto shows = [](std::string expected) { return eventually([&] { return keys() == expected; }); };
        const int pad = kit::attach_virtual_gamepad("Test pad");
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_UP, true);
        EXPECT_TRUE(shows("U....."));
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_UP, false);
        for (const auto& [x, y, stick] : {std::tuple{-16000, 16000, "...."}, {16000, -16000, "...."},
                                         {-30000, 20000, ".DL."}, {32767, -32768, "U..R"}, {0, 0, "...."}}) {
            kit::set_virtual_gamepad_stick(pad, x, y);
            kit::set_virtual_gamepad_control(pad, B_GAMEPAD_B, true);
            EXPECT_TRUE(shows(stick + std::string(".B"))) << x << "," << y << ": " << keys();
            kit::set_virtual_gamepad_control(pad, B_GAMEPAD_B, false);
            EXPECT_TRUE(shows(stick + std::string("..")));
        }
        const int second = kit::attach_virtual_gamepad("Second pad");  // both play
        kit::set_virtual_gamepad_control(second, B_GAMEPAD_B, true);
        kit::set_virtual_gamepad_control(pad, B_GAMEPAD_A, true);
        EXPECT_TRUE(shows("....AB"));
        EXPECT_TRUE(kit::detach_virtual_gamepad(second));  // unplugged while held: nothing stays held
        EXPECT_TRUE(shows("....A."));
        EXPECT_TRUE(kit::detach_virtual_gamepad(pad));
        EXPECT_TRUE(shows("......"));
        EXPECT_FALSE(kit::detach_virtual_gamepad(pad)) << "already gone";
        EXPECT_FALSE(kit::set_virtual_gamepad_control(pad, B_GAMEPAD_A, true));
        EXPECT_TRUE(eventually([&] { return self.received.Items().size() == 4; })) << "the plugs, in and out";
        self.End();
    });
    ASSERT_EQ(app.Run(), B_OK);
    EXPECT_EQ(gamepad_controls(), 0u);
    EXPECT_EQ(kit::attach_virtual_gamepad("no loop"), -1);
}
