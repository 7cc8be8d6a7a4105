// Test support for the frame driver: a small 68000 program, hand-assembled,
// running on the board's own memory map, plus a probe port that records the
// interrupt each handler serves and the cycle count when it does.
//
//   0x000000  reset vectors: SSP 0x104000, PC 0x400
//   0x000068  vectors 26, 27, 28 -> handlers at 0x500, 0x480, 0x440
//   0x400     move.w #$2000,sr           ; all interrupt levels admitted
//   0x404     tst.w  $100000             ; wait for the test's go flag
//   0x40a     beq.s  $404
//   0x40c     move.w #$001f,$600002      ; palette entry 1: red
//   0x414     move.w #$0030,$700008      ; sprite 0: X = 0x30
//   0x41c     move.w #$0040,$70000a      ;           Y = 0x40
//   0x424     move.b #$01,$70000d        ;           tile 1 (the word's low-order byte)
//   0x42c     move.w #$0001,$400000      ; interrupt enable
//   0x434     stop   #$2000              ; idle: wait for the next interrupt
//   0x438     bra.s  $434
//   0x440     move.w #28,$c00000         ; vector 28: report to the probe,
//             tst.w  $100002             ; acknowledge at 0x800000 unless the
//             beq.s  +8                  ; test's acknowledge flag is 0
//             move.w #0,$800000
//             rte
//   0x480     the same for vector 27, acknowledging at 0x900000
//   0x500     vector 26: report, palette entry 0 := blue, acknowledge at 0xA00000
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "board.h"

namespace frame_test {

constexpr uint32_t kGoFlag = 0x100000;   // work RAM word: non-zero lets the program start
constexpr uint32_t kAckFlag = 0x100002;  // work RAM word: non-zero makes handlers acknowledge
constexpr uint32_t kProbe = 0xC00000;    // test port: a word write records an interrupt

// Drawing colours the program sets (palette RAM 0x001F and 0x7C00).
constexpr uint16_t kRed = 0x7C00;
constexpr uint16_t kBlue = 0x001F;

// Program ROM in the memory image format: the word at 68000 address A is the
// host value at image offset A.
class ProgramRom {
public:
    ProgramRom() : words_(0x40000 / 2, 0xFFFF) {}
    void put(uint32_t address, std::initializer_list<uint16_t> code) {
        for (uint16_t w : code) {
            words_.at(address / 2) = w;
            address += 2;
        }
    }
    unsigned char* image() { return reinterpret_cast<unsigned char*>(words_.data()); }

private:
    std::vector<uint16_t> words_;
};

inline void assembleTestProgram(ProgramRom& rom) {
    rom.put(0x000, {0x0010, 0x4000, 0x0000, 0x0400});
    rom.put(0x068, {0x0000, 0x0500, 0x0000, 0x0480, 0x0000, 0x0440});
    rom.put(0x400, {0x46FC, 0x2000,                           // move.w #$2000,sr
                    0x4A79, 0x0010, 0x0000,                   // tst.w $100000
                    0x67F8,                                   // beq.s $404
                    0x33FC, 0x001F, 0x0060, 0x0002,           // move.w #$001f,$600002
                    0x33FC, 0x0030, 0x0070, 0x0008,           // move.w #$0030,$700008
                    0x33FC, 0x0040, 0x0070, 0x000A,           // move.w #$0040,$70000a
                    0x13FC, 0x0001, 0x0070, 0x000D,           // move.b #$01,$70000d
                    0x33FC, 0x0001, 0x0040, 0x0000,           // move.w #$0001,$400000
                    0x4E72, 0x2000,                           // stop #$2000
                    0x60FA});                                 // bra.s $434
    // Handler: report `vector` to the probe, acknowledge at `ack` when the
    // acknowledge flag is set; the vector-26 handler also writes palette entry 0.
    auto handler = [&rom](uint32_t at, uint16_t vector, uint16_t ackHigh, bool writesBackground) {
        rom.put(at, {0x33FC, vector, 0x00C0, 0x0000});  // move.w #vector,$c00000
        at += 8;
        if (writesBackground) {
            rom.put(at, {0x33FC, 0x7C00, 0x0060, 0x0000});  // move.w #$7c00,$600000
            at += 8;
        }
        rom.put(at, {0x4A79, 0x0010, 0x0002,          // tst.w $100002
                     0x6708,                          // beq.s to the rte
                     0x33FC, 0x0000, ackHigh, 0x0000,  // move.w #0,ack
                     0x4E73});                        // rte
    };
    handler(0x440, 28, 0x0080, false);
    handler(0x480, 27, 0x0090, false);
    handler(0x500, 26, 0x00A0, true);
}

// Puts the board's memory pointers back as they were when it was made, and
// the pending vector and the frame's cycles as at start-up.
class BoardPointersKept {
public:
    ~BoardPointersKept() {
        codeRom = saved_[0];
        onboardRam = saved_[1];
        spriteRam = saved_[2];
        tilesRom = saved_[3];
        NextInterrupt = 0;
        cpucycles_by_frame = 133333;
    }

private:
    unsigned char* saved_[4] = {codeRom, onboardRam, spriteRam, tilesRom};
};

// Sets a word of work RAM (kept in the memory image format).
inline void setRamWord(uint32_t address, uint16_t value) {
    std::memcpy(onboardRam + (address - 0x100000), &value, 2);
}

// The board's memories for these tests, kept for the whole run (the board's
// tables keep pointing at them) and put in its pointers: the test program in
// ROM, work RAM and sprite RAM cleared, tiles 0, 1 and 0x100 filled with
// colours 2, 1 and 3.
inline void installTestMemories() {
    static ProgramRom rom;
    static std::vector<unsigned char> ram(0x4000), sprites(7680), tiles(0x100000);
    assembleTestProgram(rom);
    std::fill(ram.begin(), ram.end(), 0);
    std::fill(sprites.begin(), sprites.end(), 0);
    std::fill(tiles.begin(), tiles.end(), 0);
    std::fill_n(&tiles[0x000 * 256], 256, 2);  // what a misplaced tile byte would select
    std::fill_n(&tiles[0x001 * 256], 256, 1);  // the program's sprite: colour 1 everywhere
    std::fill_n(&tiles[0x100 * 256], 256, 3);
    codeRom = rom.image();
    onboardRam = ram.data();
    spriteRam = sprites.data();
    tilesRom = tiles.data();
}

}  // namespace frame_test
