// For save-state tests: changes every part of the machine that a state
// holds, so that a part a load fails to restore shows afterwards.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "board.h"
#include "save_state.h"

inline void scrambleMachine() {
    std::memset(onboardRam, 0x5A, 0x4000);
    // Every sprite entry absolute, on screen, tile 1, bank 1.
    for (int entry = 0; entry < 480; ++entry) {
        const uint16_t words[8] = {0, 0, 0, 0x0010, uint16_t(entry % 240), uint16_t(entry % 208), 1, 0};
        std::memcpy(spriteRam + 16 * entry, words, sizeof words);
    }
    std::memset(_dynamicPalette, 0x33, sizeof _dynamicPalette);
    std::fill(std::begin(dynamicPalette), std::end(dynamicPalette), 0x7FFF);
    std::memset(IOBuf, 0, sizeof IOBuf);
    NextInterrupt = 0;
    interruptEnable = IRQ4ACK = IRQ3ACK = IRQ2ACK = 0xFFFF;
    std::memset(watchDogReset, 0xFF, sizeof watchDogReset);
    testMode = 1;
    cpucycles_by_frame = 266666;
    s68000context& c = _s68000context;
    for (uint32_t i = 0; i < 8; ++i) c.dreg[i] = c.areg[i] = 0x00100400 + 16 * i;
    c.asp = 0x00100800;
    c.pc = 0x00000400;
    c.odometer = 12345;
    c.interrupts[0] = 0x7E;  // every level pending
    for (int level = 1; level < 8; ++level) c.interrupts[level] = static_cast<uint8_t>(24 + level);
    c.sr = 0x0000;  // user mode, every level admitted
    std::fill(std::begin(render_offscreen), std::end(render_offscreen), 0x1F);
}

// The same machine as a state, for tests that reach the board only through
// its interface: restoring it changes every part a state holds.
inline BoardState scrambledState() {
    BoardState s{};
    for (uint32_t i = 0; i < 8; ++i) s.dreg[i] = s.areg[i] = 0x00100400 + 16 * i;
    s.asp = 0x00100800;
    s.pc = 0x00000400;
    s.odometer = 12345;
    s.interrupts[0] = 0x7E;
    for (int level = 1; level < 8; ++level) s.interrupts[level] = static_cast<uint8_t>(24 + level);
    std::fill(std::begin(s.workRam), std::end(s.workRam), 0x5A5A);
    for (int entry = 0; entry < 480; ++entry) {
        const uint16_t words[8] = {0, 0, 0, 0x0010, uint16_t(entry % 240), uint16_t(entry % 208), 1, 0};
        std::copy(std::begin(words), std::end(words), s.spriteRam + 8 * entry);
    }
    std::fill(std::begin(s.paletteRam), std::end(s.paletteRam), 0x33);
    std::fill(std::begin(s.drawingPalette), std::end(s.drawingPalette), 0x7FFF);
    s.interruptEnable = s.irq4Ack = s.irq3Ack = s.irq2Ack = s.watchdog = 0xFFFF;
    s.testMode = 1;
    s.speed = Speed::Fps30;
    return s;
}
