// The speeds the board runs at, as the Speed menu offers them: with each
// the 68000 cycles of a frame and the frame period. At 30 frames a second a
// frame runs twice the cycles, so the game keeps its pace while the picture
// is drawn half as often.
#pragma once

#include <cstdint>

// The values are the speed byte of a save state: they never change.
enum class Speed : uint8_t { Fps60 = 0, Fps30 = 1, Unlimited = 2 };

// 68000 cycles per frame: 8 MHz at 60 frames a second.
constexpr uint32_t cyclesPerFrame(Speed speed) { return speed == Speed::Fps30 ? 266666 : 133333; }

// The frame period in microseconds; 0: no pacing.
constexpr uint32_t framePeriod(Speed speed) {
    return speed == Speed::Fps30 ? 33332 : speed == Speed::Unlimited ? 0 : 16666;
}
