// Runs the board without a window, through its interface (machine.h): one
// ROM set per process, a fresh power-on for each test, frames with scripted
// or random keys, the picture as a hash, and golden frames (a picture that
// is not the reviewed one is written under frames/differ/ as a PNG).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "key_codes.h"
#include "machine.h"

namespace e2e {

enum Key : uint8_t {
    kUp = kKeyUp, kDown = kKeyDown, kLeft = kKeyLeft, kRight = kKeyRight,
    kLeftAlt = kKeyLeftAlt, kSpace = kKeySpace, kLeftShift = kKeyLeftShift,
    kKey1 = kKeyDigit[0], kKey2 = kKeyDigit[1], kKey3 = kKeyDigit[2], kKey4 = kKeyDigit[3], kKey5 = kKeyDigit[4],
};

Machine& board();
// Starts the board on the ROM set under `dir` (ending in '/') the first time;
// later calls must name the same directory.
::testing::AssertionResult startBoard(const std::string& dir);
// As after switching the power on (every key up), then the board's reset.
void powerOn(bool serviceMode);
// Runs one frame with the keys held; returns the frame count since powerOn.
int runFrame();
uint64_t frameHash();  // tests/common/frame_hash.h
inline uint32_t readRamLong(uint32_t address) { return board().peekLong(address).value(); }

// A key pressed or released before the given frame runs.
struct KeyEvent {
    int frame;
    Key key;
    bool held;
};
struct GoldenFrame {
    int frame;
    uint64_t hash;
};
// Runs frames 1 to the last golden one with the script's keys and checks
// each golden frame; `name` names the PNG files.
void runAndCheck(const std::string& name, const std::vector<KeyEvent>& script, const std::vector<GoldenFrame>& golden);
// Random keys that change every few frames, as a player's do.
std::vector<KeyStates> randomInputs(size_t frames, uint32_t seed);

#ifdef DEMO_ROM_BASE
// The demo ROM set, powered on afresh for each test.
class DemoSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startBoard(DEMO_ROM_BASE));
        powerOn(false);
    }
    void TearDown() override { board().setSpeed(Speed::Fps60); }
};
#endif

}  // namespace e2e
