// A shell command run by a test, its standard output and error read as they
// come. It dies with the test (the parent-death signal), and every read is
// bounded: a program that hangs is killed and the test fails instead of
// waiting.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

class ChildProcess {
public:
    explicit ChildProcess(const std::string& command, int seconds = 240)
        : deadline_(Clock::now() + std::chrono::seconds(seconds)), seconds_(seconds) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(127);
            const int null = open("/dev/null", O_RDONLY);
            dup2(null, 0), dup2(fds[1], 1), dup2(fds[1], 2);
            execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
        close(fds[1]);
        out_ = pid_ > 0 ? fds[0] : (close(fds[0]), -1);
    }
    ~ChildProcess() {
        if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
        if (out_ >= 0) close(out_);
    }
    ChildProcess(const ChildProcess&) = delete;

    // Reads output until `done(output)` holds, the output ends or the time is up.
    bool read_until(const std::function<bool(const std::string&)>& done) {
        char buffer[4096];
        while (!done(output) && out_ >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
            pollfd p{out_, POLLIN, 0};
            const ssize_t n = left > 0 && poll(&p, 1, static_cast<int>(left)) > 0 ? read(out_, buffer, sizeof buffer) : -1;
            if (n > 0) output.append(buffer, static_cast<size_t>(n));
            if (n <= 0) close(out_), out_ = -1;
            if (n < 0) kill(pid_, SIGKILL), output += "\n<killed: still running after " + std::to_string(seconds_) + " s>\n";
        }
        return done(output);
    }
    // Reads the rest of the output and waits for the end: the exit status, -1 when killed.
    int wait() {
        read_until([](const std::string&) { return false; });
        int status = -1;
        if (pid_ > 0) waitpid(pid_, &status, 0), pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void interrupt() { kill(pid_, SIGINT); }
    std::string output;

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline_;
    int seconds_;
    pid_t pid_ = -1;
    int out_ = -1;
};
