// Player inputs: held keys in the port bytes at 0x500000 and 0x500004, where
// opposite directions never read as pressed together. (Single keys are the
// demo's input-test screen's.)
#include <gtest/gtest.h>

#include <initializer_list>

#include "board.h"
#include "key_state.h"

namespace {

constexpr uint8_t kUp = 0x57, kDown = 0x62, kLeft = 0x61, kRight = 0x63, kDigit5 = 0x16;

TEST(PlayerInput, UpWinsOverDownRightOverLeftAndDigit5IsBit5) {
    const struct {
        std::initializer_list<uint8_t> keys;
        int port0, port4;
    } rows[] = {{{kUp, kDown}, 0x7E, 0xBF}, {{kLeft, kRight}, 0x77, 0xBF}, {{kDigit5}, 0x7F, 0x9F}};
    pm_setKeySource(read_key_states);  // as the desktop program does
    for (const auto& r : rows) {
        clear_key_states();
        for (uint8_t k : r.keys) set_key_state(k, true);
        acquire_keyboard();
        EXPECT_EQ(std::make_pair(int{IOBuf[0]}, int{IOBuf[4]}), std::make_pair(r.port0, r.port4)) << &r - rows;
    }
    clear_key_states();
}

}  // namespace
