// The window's title: the program's name and, after a dash, what the game is
// doing when it is not simply running at 60 frames a second, or for two
// seconds what a command just did. Nothing is ever drawn over the picture
// for this.
#pragma once

#include <cstdint>
#include <string>

#include "speed.h"

struct TitleStatus {
    bool running = false;  // a game is booted and its emulation thread runs
    bool paused = false;
    bool debug = false;    // the console monitor is switched on
    Speed speed = Speed::Fps60;
    bool turbo = false;    // Tab held: unlimited while held
    int measuredFps = -1;  // over the last second; -1 when not measured since the speed last changed
    std::string movie;     // "Playing" or "Recording" while a movie is; "" when none
    std::string notice;    // what a command just did, such as "Saved slot 3"; "" when none
};

// How long the title shows a notice, in microseconds.
constexpr int64_t kNoticeTime = 2000000;
// Posted to the window when a notice's time is over.
constexpr uint32_t kMsgNoticeOver = 0x6E6F7465;  // 'note'

// "BePellmora v0.80", then " - " and the notice while there is one; else
// " - Playing" or " - Recording" while a movie is, then
// " - Paused", " - Debug" (both: " - Paused - Debug"),
// or while running otherwise the frame rate when it is not 60: the measured
// one ("- 30 fps", "- 4210 fps"; 59 to 61 count as 60), or before a
// measurement the chosen speed
// ("- 30 fps", "- Unlimited").
std::string statusTitle(const TitleStatus& status);
