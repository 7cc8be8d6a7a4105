// Player inputs: the port bytes at 0x500000 and 0x500004 for held keys.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "board.h"
#include "key_state.h"

namespace {

// Platform key codes of the board's keys.
constexpr uint8_t kUp = 0x57, kDown = 0x62, kLeft = 0x61, kRight = 0x63;
constexpr uint8_t kLeftAlt = 0x5D, kSpace = 0x5E, kLeftShift = 0x4B;
constexpr uint8_t kDigit1 = 0x12, kDigit2 = 0x13, kDigit3 = 0x14, kDigit4 = 0x15, kDigit5 = 0x16;

class PlayerInput : public ::testing::Test {
protected:
    void SetUp() override {
        pm_setKeySource(read_key_states);  // as the desktop program does
        clear_key_states();
    }
    void TearDown() override { clear_key_states(); }

    // Holds exactly `keys`, samples the keyboard, returns ports 0 and 4.
    std::pair<int, int> ports(std::initializer_list<uint8_t> keys) {
        clear_key_states();
        for (uint8_t k : keys) set_key_state(k, true);
        acquire_keyboard();
        return {IOBuf[0], IOBuf[4]};
    }
};

// Active low: up wins over down and right over left; the buttons clear bits
// 4 to 6 of port 0 (bit 7 stays 0), the digits their bits of port 4 (bits 4
// and 7 stay 1, bit 6 0).
TEST_F(PlayerInput, HeldKeysClearTheirBits) {
    const struct {
        std::initializer_list<uint8_t> keys;
        int port0, port4;
    } rows[] = {
        {{}, 0x7F, 0xBF},
        {{kUp}, 0x7E, 0xBF},
        {{kDown}, 0x7D, 0xBF},
        {{kUp, kDown}, 0x7E, 0xBF},
        {{kRight}, 0x77, 0xBF},
        {{kLeft}, 0x7B, 0xBF},
        {{kLeft, kRight}, 0x77, 0xBF},
        {{kUp, kDown, kLeft, kRight}, 0x76, 0xBF},
        {{kDown, kLeft}, 0x79, 0xBF},
        {{kLeftAlt}, 0x6F, 0xBF},
        {{kSpace}, 0x5F, 0xBF},
        {{kLeftShift}, 0x3F, 0xBF},
        {{kUp, kRight, kLeftAlt, kSpace, kLeftShift}, 0x06, 0xBF},
        {{kDigit1}, 0x7F, 0xBE},
        {{kDigit2}, 0x7F, 0xBD},
        {{kDigit3}, 0x7F, 0xBB},
        {{kDigit4}, 0x7F, 0xB7},
        {{kDigit5}, 0x7F, 0x9F},
        {{kDigit1, kDigit2, kDigit3, kDigit4, kDigit5}, 0x7F, 0x90},
    };
    int row = 0;
    for (const auto& r : rows) EXPECT_EQ(ports(r.keys), std::make_pair(r.port0, r.port4)) << "row " << row++;
}

TEST_F(PlayerInput, OtherKeysAndOtherPortsAreLeftAlone) {
    unsigned char saved[6];
    std::memcpy(saved, IOBuf, sizeof saved);
    IOBuf[1] = 0x5A;
    IOBuf[2] = 0xA5;
    IOBuf[3] = 0x3C;
    IOBuf[5] = 0xC3;
    // Every key code except the board's twelve.
    clear_key_states();
    for (int code = 0; code < 128; ++code) {
        const uint8_t k = static_cast<uint8_t>(code);
        if (k == kUp || k == kDown || k == kLeft || k == kRight || k == kLeftAlt || k == kSpace ||
            k == kLeftShift || (k >= kDigit1 && k <= kDigit5))
            continue;
        set_key_state(k, true);
    }
    acquire_keyboard();
    EXPECT_EQ(IOBuf[0], 0x7F);
    EXPECT_EQ(IOBuf[4], 0xBF);
    EXPECT_EQ(IOBuf[1], 0x5A);
    EXPECT_EQ(IOBuf[2], 0xA5);
    EXPECT_EQ(IOBuf[3], 0x3C);
    EXPECT_EQ(IOBuf[5], 0xC3);
    std::memcpy(IOBuf, saved, sizeof saved);
}

TEST_F(PlayerInput, ReleasedKeysReadInactiveAtTheNextSample) {
    EXPECT_EQ(ports({kUp, kDigit3}), std::make_pair(0x7E, 0xBB));
    set_key_state(kUp, false);
    set_key_state(kDigit3, false);
    acquire_keyboard();
    EXPECT_EQ(IOBuf[0], 0x7F);
    EXPECT_EQ(IOBuf[4], 0xBF);
}

// Another host hands the board its own held keys: read afresh at every
// sample; without a source no key is held.
KeyStates hostKeys;
void hostKeySource(uint8_t keyStates[16]) { std::memcpy(keyStates, hostKeys.bytes, sizeof hostKeys.bytes); }

TEST_F(PlayerInput, KeysComeFromTheSourceTheHostInstalled) {
    set_key_state(kUp, true);  // the desktop keyboard, no longer the source
    hostKeys = {};
    hostKeys.hold(kLeft);
    hostKeys.hold(kDigit2);
    pm_setKeySource(hostKeySource);
    acquire_keyboard();
    EXPECT_EQ(IOBuf[0], 0x7B);
    EXPECT_EQ(IOBuf[4], 0xBD);

    hostKeys = {};
    hostKeys.hold(kLeftShift);
    acquire_keyboard();
    EXPECT_EQ(IOBuf[0], 0x3F) << "the source is read at every sample";
    EXPECT_EQ(IOBuf[4], 0xBF);

    pm_setKeySource(nullptr);
    acquire_keyboard();
    EXPECT_EQ(IOBuf[0], 0x7F) << "no source, no key held";
    EXPECT_EQ(IOBuf[4], 0xBF);
}

}  // namespace
