// Runs the board without a window: start-up on a ROM set directory, a fresh
// power-on for each test, frames with scripted keys, and the frame buffer as
// a hash or a PNG.
#pragma once

#include <cstdint>
#include <string>

namespace e2e {

// BeOS key codes of the board's keys.
enum Key : uint8_t {
    kUp = 0x57, kDown = 0x62, kLeft = 0x61, kRight = 0x63,
    kLeftAlt = 0x5D, kSpace = 0x5E, kLeftShift = 0x4B,
    kKey1 = 0x12, kKey2 = 0x13, kKey3 = 0x14, kKey4 = 0x15, kKey5 = 0x16,
};

// Starts the board on the ROM set under `dir` (ending in '/') the first time
// it is called in the process; later calls must name the same directory.
// Returns false (with a message on stdout) when start-up failed.
bool startBoard(const std::string& dir);

// As after switching the power on: work RAM, sprite RAM, palette RAM, the
// interrupt chain and the frame buffer cleared, every key up, then the
// board's reset, in service mode or not.
void powerOn(bool serviceMode);

void setKey(Key key, bool held);
void releaseKeys();

// Runs one frame (pm_render, not paused, no monitor); returns the frame count
// since powerOn.
int runFrame();

// A 64-bit FNV-1a hash of the frame buffer's pixel values.
uint64_t frameHash();
// Writes the frame buffer as an RGB PNG, 5-bit fields widened to 8 bits.
bool writeFramePng(const std::string& path);

// A 68000 long word or word of work RAM (0x100000-0x103FFF).
uint32_t readRamLong(uint32_t address);
uint16_t readRamWord(uint32_t address);

}  // namespace e2e
