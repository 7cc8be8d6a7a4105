// Player inputs: the port bytes at 0x500000 and 0x500004 for held keys. (A
// host's own key source is the libretro core's.)
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "board.h"
#include "key_state.h"

namespace {

constexpr uint8_t kUp = 0x57, kDown = 0x62, kLeft = 0x61, kRight = 0x63;
constexpr uint8_t kLeftAlt = 0x5D, kSpace = 0x5E, kLeftShift = 0x4B;
constexpr uint8_t kDigit1 = 0x12, kDigit2 = 0x13, kDigit3 = 0x14, kDigit4 = 0x15, kDigit5 = 0x16;

bool boardKey(int k) {
    return k == kUp || k == kDown || k == kLeft || k == kRight || k == kLeftAlt || k == kSpace || k == kLeftShift ||
           (k >= kDigit1 && k <= kDigit5);
}

// Active low: up wins over down, right over left; bit 7 of port 0 stays 0,
// bits 4 and 7 of port 4 stay 1 and bit 6 0. Other keys and ports: no change.
TEST(PlayerInput, HeldKeysClearTheirBitsAndNothingElse) {
    const int kOthers = -1;  // every key code but the board's twelve
    const struct {
        std::initializer_list<int> keys;
        int port0, port4;
    } rows[] = {
        {{}, 0x7F, 0xBF},           {{kUp}, 0x7E, 0xBF},         {{kDown}, 0x7D, 0xBF},
        {{kUp, kDown}, 0x7E, 0xBF}, {{kRight}, 0x77, 0xBF},      {{kLeft}, 0x7B, 0xBF},
        {{kLeft, kRight}, 0x77, 0xBF}, {{kUp, kDown, kLeft, kRight}, 0x76, 0xBF}, {{kDown, kLeft}, 0x79, 0xBF},
        {{kLeftAlt}, 0x6F, 0xBF},   {{kSpace}, 0x5F, 0xBF},      {{kLeftShift}, 0x3F, 0xBF},
        {{kUp, kRight, kLeftAlt, kSpace, kLeftShift}, 0x06, 0xBF},
        {{kDigit1}, 0x7F, 0xBE},    {{kDigit2}, 0x7F, 0xBD},     {{kDigit3}, 0x7F, 0xBB},
        {{kDigit4}, 0x7F, 0xB7},    {{kDigit5}, 0x7F, 0x9F},
        {{kDigit1, kDigit2, kDigit3, kDigit4, kDigit5}, 0x7F, 0x90},
        {{kOthers}, 0x7F, 0xBF},
    };
    pm_setKeySource(read_key_states);  // as the desktop program does
    unsigned char saved[6];
    std::memcpy(saved, IOBuf, sizeof saved);
    const unsigned char others[6] = {0, 0x5A, 0xA5, 0x3C, 0, 0xC3};
    for (const auto& r : rows) {
        clear_key_states();
        for (int k : r.keys)
            for (int code = 0; code < 128; ++code)
                if (code == k || (k == kOthers && !boardKey(code))) set_key_state(static_cast<uint8_t>(code), true);
        for (int p : {1, 2, 3, 5}) IOBuf[p] = others[p];
        acquire_keyboard();
        EXPECT_EQ(std::make_pair(int{IOBuf[0]}, int{IOBuf[4]}), std::make_pair(r.port0, r.port4))
            << "row " << &r - rows;
        for (int p : {1, 2, 3, 5}) EXPECT_EQ(IOBuf[p], others[p]) << "port " << p;
    }
    set_key_state(kUp, true);
    pm_setKeySource(nullptr);  // no source, no key held
    acquire_keyboard();
    EXPECT_EQ(IOBuf[0], 0x7F);
    pm_setKeySource(read_key_states);
    clear_key_states();
    std::memcpy(IOBuf, saved, sizeof saved);
}

}  // namespace
