#include "window_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "board.h"
#include "emulation.h"
#include "menus.h"
#include "paths.h"
#include "presentation.h"

namespace hostile {

void startShellState() {
    ASSERT_TRUE(copyPath(execPath, BEVOREL_PROGRAM));
    resetShellGlobals();
    NextInterrupt = 0;
    boardMachine().setServiceMode(false);
    boardMachine().setSpeed(Speed::Fps60);
}

Console::Console(const char* inputPath, const fs::path& outputPath) {
    std::fflush(stdout);
    savedIn_ = dup(STDIN_FILENO);
    savedOut_ = dup(STDOUT_FILENO);
    if (inputPath) {
        const int fd = open(inputPath, O_RDONLY);
        dup2(fd, STDIN_FILENO);
        close(fd);
    } else {
        int fds[2];
        if (pipe(fds) == 0) {
            dup2(fds[0], STDIN_FILENO);
            close(fds[0]);
            writer_ = fds[1];
        }
    }
    const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, STDOUT_FILENO);
    close(out);
}

Console::~Console() {
    std::fflush(stdout);
    dup2(savedIn_, STDIN_FILENO);
    dup2(savedOut_, STDOUT_FILENO);
    close(savedIn_);
    close(savedOut_);
    if (writer_ >= 0) close(writer_);
}

}  // namespace hostile
