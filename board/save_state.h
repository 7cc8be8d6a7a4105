// Save states: everything the machine needs to carry on exactly where it was
// (the 68000's registers, work RAM, sprite RAM, palette RAM and drawing
// palette, the input ports, the interrupt chain, the watchdog, service mode
// and the speed), as a self-checking byte image and back. No ROM data: a
// state names the ROM set it belongs to by a hash and fits no other.
//
// The image (state_codec.h): a 28-byte header, then the body, the fields of
// kFields below in that order, each little-endian and of its own width. The
// table in docs/formats.md describes it byte by byte for users; the writer
// and the reader follow kFields alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "memory_map.h"
#include "speed.h"
#include "state_codec.h"

namespace save_state {

constexpr uint32_t kFormatVersion = 1;
constexpr size_t kWorkRamWords = address_map::kWorkRam.size() / 2;
constexpr size_t kSpriteRamWords = address_map::kSpriteRam.size() / 2;

}  // namespace save_state

// The machine's state, field for field, as a state image holds it (the
// width of each member is its width in the image).
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

namespace save_state {

// The fields of a state image in the order of its body, each with the first
// format version that has it: the one list the writer and the reader follow.
// To add a field: a member of BoardState whose default member initialiser is
// its value in older states, its row here with the next version, and
// kFormatVersion raised to it; older images, and the movies and RetroArch
// states that hold them, still load. The format comment above and the
// table in docs/formats.md describe the newest version.
inline constexpr auto kFields = std::tuple{
    field(1, &BoardState::dreg),          field(1, &BoardState::areg),
    field(1, &BoardState::asp),           field(1, &BoardState::pc),
    field(1, &BoardState::odometer),      field(1, &BoardState::interrupts),
    field(1, &BoardState::sr),            field(1, &BoardState::workRam),
    field(1, &BoardState::spriteRam),     field(1, &BoardState::paletteRam),
    field(1, &BoardState::drawingPalette), field(1, &BoardState::inputPorts),
    field(1, &BoardState::nextInterrupt), field(1, &BoardState::interruptEnable),
    field(1, &BoardState::irq4Ack),       field(1, &BoardState::irq3Ack),
    field(1, &BoardState::irq2Ack),       field(1, &BoardState::watchdog),
    field(1, &BoardState::testMode),      field(1, &BoardState::speed),
};
constexpr size_t kBodySize = bodySize(kFields, kFormatVersion);
constexpr size_t kImageSize = kHeaderSize + kBodySize;

// Whether `size` is the length of an image of a format this program reads.
constexpr bool isImageSize(size_t size) {
    for (uint32_t version = 1; version <= kFormatVersion; ++version)
        if (size == kHeaderSize + bodySize(kFields, version)) return true;
    return false;
}

}  // namespace save_state

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
// Checks an image of this or an older format completely against the ROM set
// with hash `romSetHash`: the signature, the format version, the ROM set, the
// lengths, the CRC and the values of the fields with a fixed range. On success fills `state`; on
// failure `error` holds one line saying what is wrong (no newline) and
// `state` is left as it was.
bool decodeState(const uint8_t* image, size_t size, uint64_t romSetHash, BoardState& state,
                 std::string& error);
