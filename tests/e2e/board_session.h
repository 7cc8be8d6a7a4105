// Runs the board without a window, through its interface (machine.h):
// start-up on a ROM set directory, a fresh power-on for each test, frames
// with scripted or random keys, the picture as a hash or a PNG, and golden
// frame hashes: each checked frame is written as a PNG for people to look
// at, and again under differ/ when its hash is not the reviewed one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "key_codes.h"
#include "machine.h"

namespace e2e {

// The board's keys.
enum Key : uint8_t {
    kUp = kKeyUp, kDown = kKeyDown, kLeft = kKeyLeft, kRight = kKeyRight,
    kLeftAlt = kKeyLeftAlt, kSpace = kKeySpace, kLeftShift = kKeyLeftShift,
    kKey1 = kKeyDigit[0], kKey2 = kKeyDigit[1], kKey3 = kKeyDigit[2], kKey4 = kKeyDigit[3], kKey5 = kKeyDigit[4],
};

// The board the tests run.
Machine& board();

// Starts the board on the ROM set under `dir` (ending in '/') the first time
// it is called in the process; later calls must name the same directory.
// A failure says which ROM set did not load.
::testing::AssertionResult startBoard(const std::string& dir);

// As after switching the power on (every key up), then the board's reset, in
// service mode or not.
void powerOn(bool serviceMode);

void setKey(Key key, bool held);
void releaseKeys();

// Runs one frame with the keys held; returns the frame count since powerOn.
int runFrame();

// A 64-bit FNV-1a hash of the picture's pixel values.
uint64_t frameHash();
// Writes the picture as an RGB PNG, 5-bit fields widened to 8 bits.
bool writeFramePng(const std::string& path);

// A 68000 long word or word of work RAM (0x100000-0x103FFF).
uint32_t readRamLong(uint32_t address);
uint16_t readRamWord(uint32_t address);

// A key pressed or released before the given frame runs.
struct KeyEvent {
    int frame;
    Key key;
    bool held;
};
// The keys held when frame `frame` starts, as the script leaves them.
void keysBefore(const std::vector<KeyEvent>& script, int frame);

// A frame whose picture was reviewed, by its hash.
struct GoldenFrame {
    int frame;
    uint64_t hash;
};
// Runs frames 1 to the last golden frame from the current state, applying
// the key events, and checks each golden frame. `name` names the PNG files.
void runAndCheck(const std::string& name, const std::vector<KeyEvent>& script,
                 const std::vector<GoldenFrame>& golden);

// Random keys that change every few frames, as a player's do.
std::vector<KeyStates> randomInputs(size_t frames, uint32_t seed);

}  // namespace e2e
