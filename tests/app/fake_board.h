// A stand-in for the board and the monitor, so the shell's tests control
// start-up success, see every reset and frame, and can hold a frame in a
// simulated monitor that waits for a console line the way the real one does
// (polling, with the stop check between polls).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace fake {

extern std::atomic<int> initCalls;
extern std::string initPath;
extern std::atomic<int> resets;
extern std::atomic<int> renders;
extern std::atomic<int> renderedWhileDebug;
extern std::atomic<int> renderedWhilePaused;
extern std::atomic<int> monitorEntries;
// While true, a frame with the debug flag waits in the simulated monitor.
extern std::atomic<bool> monitorWaits;
// Whether the next start-up makes the board's memories.
extern std::atomic<bool> startupSucceeds;

// Save states: the machine's whole state is one counter that every unpaused
// frame advances; a state carries it in D0, and the speed.
extern std::atomic<uint32_t> machine;
extern std::atomic<uint64_t> romSetHash;
extern std::atomic<int> captures;
extern std::atomic<int> restores;
// Captures and restores made while a frame was being rendered (must stay 0).
extern std::atomic<int> touchedDuringFrame;

void reset();

}  // namespace fake
