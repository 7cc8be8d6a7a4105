// A program run by a test: standard output and error through one pipe, read
// as it comes; killed when the test is done with it, whatever happened.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class ChildProcess {
public:
    // Starts argv[0] with argv, the test's environment plus `environment`
    // ("NAME=value"), standard input from /dev/null.
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment);
    ~ChildProcess();  // kills and reaps the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Reads output until `done(output so far)` holds, the output ends or
    // `seconds` pass; returns whether it holds.
    bool read_until(const std::function<bool(const std::string&)>& done, double seconds);
    // Reads the rest of the output and waits for the end, at most `seconds`
    // (then kills it). True when it exited by itself; its status in status().
    bool wait(double seconds);
    int status() const { return status_; }
    void send_signal(int signal);
    const std::string& output() const { return output_; }

private:
    bool read_some(double seconds);  // false at the end of the output or time
    void kill_and_reap();

    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::string output_;
};
