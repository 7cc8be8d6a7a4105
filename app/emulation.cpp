#include "emulation.h"

#include <cstdint>
#include <cstdio>
#include <limits>

uint32_t snoozeTime = framePeriod(Speed::Fps60);
std::atomic<uint32_t> newSnoozeTime{framePeriod(Speed::Fps60)};
std::atomic<uint8_t> debugOn{0};

bool debugSwitchedOff() { return debugOn.load(std::memory_order_relaxed) == 0; }
std::atomic<uint8_t> wpaused{0};
const uint16_t* (*goBackHandler)(EmulationControl&, ReverseRequest) = nullptr;
bool reverseAllowed = false;
bool pastRewritten = false;
void forgetPast() { pastRewritten = true; }

int64_t cpuTimeStart = 0;
uint32_t cpuTotalFrames = 0;
int64_t cpuTimeEnd = 0;

namespace {
std::atomic<Speed> chosenSpeed{Speed::Fps60};
}  // namespace

void chooseSpeed(Speed speed) {
    chosenSpeed.store(speed, std::memory_order_relaxed);
    newSnoozeTime.store(framePeriod(speed), std::memory_order_relaxed);
}

Speed currentSpeed() { return chosenSpeed.load(std::memory_order_relaxed); }

void adoptFramePeriod() {
    const uint32_t requested = newSnoozeTime.load(std::memory_order_relaxed);
    if (requested != snoozeTime) snoozeTime = requested;
}

void EmulationControl::applySpeed(Speed speed) {
    machine.setSpeed(speed);
    chooseSpeed(speed);
}

void EmulationControl::setHistory(bool on, int seconds) {
    keepHistory = on;
    HistoryLimits limits;
    limits.seconds = static_cast<uint32_t>(seconds);
    history = History(limits);
}

double averageFps(int64_t elapsed, uint32_t frames) {
    if (frames == 0) return 0;
    const int64_t frameTime = elapsed / static_cast<int64_t>(frames);
    if (frameTime <= 0) return std::numeric_limits<double>::infinity();  // under 1 us a frame
    return 1000000.0 / static_cast<double>(frameTime);
}

int32_t fpsFigure(int64_t elapsed, uint32_t frames) {
    const double fps = averageFps(elapsed, frames);
    return fps < 2147483647.0 ? static_cast<int32_t>(fps) : INT32_MAX;
}

std::string fpsReport(int64_t elapsed, uint32_t frames) {
    if (frames == 0) return "";
    char line[64];
    std::snprintf(line, sizeof line, "Average fps : %f\n", averageFps(elapsed, frames));
    return line;
}
