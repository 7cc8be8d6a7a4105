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

TEST_F(PlayerInput, NoKeyHeldReadsAllInactive) {
    EXPECT_EQ(ports({}), std::make_pair(0x7F, 0xBF));
}

TEST_F(PlayerInput, UpWinsOverDownAndRightOverLeft) {
    EXPECT_EQ(ports({kUp}).first, 0x7E);
    EXPECT_EQ(ports({kDown}).first, 0x7D);
    EXPECT_EQ(ports({kUp, kDown}).first, 0x7E);
    EXPECT_EQ(ports({kRight}).first, 0x77);
    EXPECT_EQ(ports({kLeft}).first, 0x7B);
    EXPECT_EQ(ports({kLeft, kRight}).first, 0x77);
    EXPECT_EQ(ports({kUp, kDown, kLeft, kRight}).first, 0x76);
    EXPECT_EQ(ports({kDown, kLeft}).first, 0x79);
}

TEST_F(PlayerInput, ButtonsClearBitsFourToSix) {
    EXPECT_EQ(ports({kLeftAlt}).first, 0x6F);
    EXPECT_EQ(ports({kSpace}).first, 0x5F);
    EXPECT_EQ(ports({kLeftShift}).first, 0x3F);
    EXPECT_EQ(ports({kSpace, kLeftShift}).first, 0x1F);
    EXPECT_EQ(ports({kUp, kRight, kLeftAlt, kSpace, kLeftShift}).first, 0x06) << "bit 7 stays 0";
}

TEST_F(PlayerInput, DigitKeysClearTheirBitsOfPortFour) {
    EXPECT_EQ(ports({kDigit1}).second, 0xBE);
    EXPECT_EQ(ports({kDigit2}).second, 0xBD);
    EXPECT_EQ(ports({kDigit3}).second, 0xBB);
    EXPECT_EQ(ports({kDigit4}).second, 0xB7);
    EXPECT_EQ(ports({kDigit5}).second, 0x9F);
    EXPECT_EQ(ports({kDigit1, kDigit5}).second, 0x9E);
    EXPECT_EQ(ports({kDigit1, kDigit2, kDigit3, kDigit4, kDigit5}).second, 0x90) << "bits 4 and 7 stay 1, bit 6 0";
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
