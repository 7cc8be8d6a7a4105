// A stand-in for the board and the monitor, so the shell's tests control
// start-up success, see every reset and frame, and can hold a frame in a
// simulated monitor that waits for a console line the way the real one does
// (polling, with the stop check between polls).
#pragma once

#include <atomic>
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

void reset();

}  // namespace fake
