// The real main window driven from a test: a window that answers a sync
// message, the shell's process-wide state as at program start, and the
// console redirected for the test.
#pragma once

#include "hostile_support.h"
#include "window_harness.h"

namespace hostile {

using ::SyncWindow;
using ::releaseSurface;

// The shell's process-wide state as at program start, the program being
// the one built beside the demo ROM set.
void startShellState();

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
