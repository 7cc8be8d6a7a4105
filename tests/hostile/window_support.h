// The real main window driven from a test: a window that answers a sync
// message, the shell's process-wide state as at program start, and the
// console redirected for the test.
#pragma once

#include <condition_variable>
#include <mutex>

#include "bevorel_window.h"
#include "hostile_support.h"

namespace hostile {

// The main window with a sync message: answered once every message posted
// before it has been handled.
class SyncWindow : public BeVorelWindow {
public:
    static constexpr uint32 kSync = 0x68737963;

    void MessageReceived(BMessage* message) override;
    // Posts a sync message and waits for its answer.
    void Sync();

private:
    std::mutex fLock;
    std::condition_variable fSynced;
    int32 fPosted = 0;  // the test's thread only
    int32 fHandled = 0;
};

// The shell's process-wide state as at program start, the program being
// the one built beside the demo ROM set.
void startShellState();

// What a window leaves in process-wide variables (the program never frees them).
void releaseSurface();

// Standard input and output replaced for the test: input from `inputPath`
// (or an empty pipe kept open when null), output into a file.
class Console {
public:
    Console(const char* inputPath, const fs::path& outputPath);
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

private:
    int savedIn_ = -1, savedOut_ = -1, writer_ = -1;
};

}  // namespace hostile
