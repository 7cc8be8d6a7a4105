// Save states: everything the machine needs to carry on exactly where it was
// (the 68000's registers, work RAM, sprite RAM, palette RAM and drawing
// palette, the input ports, the interrupt chain, the watchdog, service mode
// and the speed), as a self-checking byte image and back. No ROM data: a
// state names the ROM set it belongs to by a hash and fits no other.
//
// The image: a 28-byte header, then the body. Every number is little-endian
// and of fixed width.
//   header  magic "BVSTATE" 0x1A (8 bytes), format version (u32, 1),
//           ROM-set hash (u64), body length (u32), CRC-32 of the body (u32)
//   body    D0-D7, A0-A7, inactive stack pointer, PC, odometer (u32 each);
//           the interrupt bytes (8 x u8: stopped flag and pending levels,
//           then the vector of each level); SR (u16);
//           work RAM (8192 x u16, the word at 0x100000 + 2i);
//           sprite RAM (3840 x u16, the word at 0x700000 + 2i);
//           palette RAM (512 x u8, the byte at 0x600000 + i);
//           drawing palette (256 x u16); input ports (6 x u8, 0x500000 + i);
//           NextInterrupt, interrupt enable, IRQ4, IRQ3 and IRQ2
//           acknowledge words, watchdog word (u16 each);
//           service mode (u8, 0 or 1); speed (u8: 0 60 fps, 1 30 fps,
//           2 unlimited).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "memory_map.h"
#include "speed.h"

namespace save_state {

constexpr uint8_t kMagic[8] = {'B', 'V', 'S', 'T', 'A', 'T', 'E', 0x1A};
constexpr uint32_t kFormatVersion = 1;
constexpr size_t kHeaderSize = 28;
constexpr size_t kWorkRamWords = address_map::kWorkRam.size() / 2;
constexpr size_t kSpriteRamWords = address_map::kSpriteRam.size() / 2;
constexpr size_t kBodySize = 19 * 4 + 8 + 2                      // CPU
                             + 2 * kWorkRamWords + 2 * kSpriteRamWords
                             + 512 + 2 * 256 + 6                 // palette, ports
                             + 6 * 2 + 1 + 1;                    // chain, watchdog, mode, speed
constexpr size_t kImageSize = kHeaderSize + kBodySize;

}  // namespace save_state

// The machine's state, field for field, as a state image holds it.
struct BoardState {
    // The 68000 (the region lists and the reset handler stay the host's).
    uint32_t dreg[8];
    uint32_t areg[8];
    uint32_t asp;
    uint32_t pc;
    uint32_t odometer;
    uint8_t interrupts[8];
    uint16_t sr;
    // Memories, as the 68000 sees them.
    uint16_t workRam[save_state::kWorkRamWords];
    uint16_t spriteRam[save_state::kSpriteRamWords];
    uint8_t paletteRam[512];
    uint16_t drawingPalette[256];
    uint8_t inputPorts[6];
    // Ports and flags.
    uint16_t nextInterrupt;
    uint16_t interruptEnable, irq4Ack, irq3Ack, irq2Ack;
    uint16_t watchdog;
    uint8_t testMode;
    Speed speed;
};

// The loaded ROM set's identity: the CRC-32 of the program ROM as the 68000
// reads it (address 0 first) in the high half, the CRC-32 of the graphics in
// the low half. 0 when no ROM set is loaded.
uint64_t pm_romSetHash();

// The machine as it stands, with the speed the caller runs it at. Only
// between frames, with no emulation thread running.
void pm_captureState(BoardState& state, Speed speed);
// Puts the machine in a captured state: CPU, memories, ports, the frame's
// cycle count for the speed; then draws the frame buffer from the restored
// sprite list and palette. Only between frames, with no emulation thread
// running.
void pm_restoreState(const BoardState& state);

// The image of a state, for the ROM set with hash `romSetHash`.
std::vector<uint8_t> encodeState(const BoardState& state, uint64_t romSetHash);
// Checks an image completely against the ROM set with hash `romSetHash`: the
// signature, the format version, the ROM set, the lengths, the CRC and the
// values of the fields with a fixed range. On success fills `state`; on
// failure `error` holds one line saying what is wrong (no newline) and
// `state` is left as it was.
bool decodeState(const uint8_t* image, size_t size, uint64_t romSetHash, BoardState& state,
                 std::string& error);
