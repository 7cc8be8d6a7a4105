// For save-state tests: a machine, as a state, that differs in every part a
// state holds, so that a part a load fails to restore shows afterwards.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "board.h"
#include "save_state.h"

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
