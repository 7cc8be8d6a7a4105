// The real main window on the demo ROM set, driven from a test: the shell's
// process-wide state as at program start, the console redirected, and a
// bounded wait.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "board.h"
#include "hostile_support.h"
#include "window_harness.h"

namespace hostile {

// Waits up to `seconds` for pred(); false when it never held.
template <class Pred>
bool within(double seconds, Pred pred) {
    for (const double deadline = secondsNow() + seconds; !pred();)
        if (secondsNow() > deadline) return false;
        else snooze(1000);
    return true;
}

// A shown window in the state of a program just started.
inline SyncWindow* startWindow() {
    EXPECT_TRUE(copyPath(execPath, BEVOREL_PROGRAM));
    resetShellGlobals();
    NextInterrupt = 0;
    boardMachine().setServiceMode(false);
    boardMachine().setSpeed(Speed::Fps60);
    SyncWindow* window = new SyncWindow(boardMachine());
    window->Show();
    EXPECT_TRUE(boardMachine().ready()) << "the demo ROM set beside " << BEVOREL_PROGRAM << " did not load";
    return window;
}

inline void quitWindow(SyncWindow* window) {
    Watchdog watchdog(120, "quitting a window");
    window->PostMessage(B_QUIT_REQUESTED);
    wait_for_thread(window->Thread(), nullptr);
    delete window;
    releaseSurface();
}

// Standard input from `inputPath` (an open, empty pipe when null) and
// output into `output` while it lives.
class Console {
public:
    Console(const char* inputPath, fs::path output) : output_(std::move(output)) {
        std::fflush(stdout);
        int fds[2] = {-1, -1};
        if (inputPath ? (fds[0] = open(inputPath, O_RDONLY)) < 0 : pipe(fds) != 0) ADD_FAILURE() << "no input";
        const int out = open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        savedIn_ = dup(0), savedOut_ = dup(1), writer_ = fds[1];
        dup2(fds[0], 0), dup2(out, 1), close(fds[0]), close(out);
    }
    ~Console() {
        std::fflush(stdout);
        dup2(savedIn_, 0), dup2(savedOut_, 1), close(savedIn_), close(savedOut_);
        if (writer_ >= 0) close(writer_);
    }
    void feed(const std::string& bytes) { EXPECT_EQ(write(writer_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    std::string text() const {
        std::fflush(stdout);
        std::ifstream in(output_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    fs::path output_;
    int savedIn_, savedOut_, writer_;
};

inline size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace hostile
