// The small queue between the server's thread and the emulation thread.
// The server posts what happens on the connection, in order; the emulation
// thread takes it at frame and slice boundaries, or waits for it while the
// target is stopped, and posts its replies back. A reply wakes the server
// through a file descriptor it can poll.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "commands.h"

namespace gdbstub {

struct Event {
    enum Kind {
        Connected,     // a client is in control (any earlier one is gone)
        Disconnected,  // this client and every earlier one are gone
        Interrupt,     // it wants the running target stopped
        Request,       // a command for the target
    } kind;
    uint64_t client;  // the connection it comes from (never 0)
    Packet packet;
};

struct Reply {
    enum Kind {
        Answer,  // to a command
        Stop,    // the target stopped and waits for commands
        Final,   // the last one: the connection closes after it
    };
    uint64_t client;  // the connection it goes to
    std::string payload;
    Kind kind;
};

class Channel {
public:
    Channel();
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // ---- the server's side ----
    // False when a request or an interrupt finds the queue full: the client
    // sends without waiting for answers. Connection changes always get
    // through; an end replaces the change just before it.
    bool post(Event event);
    bool take_reply(Reply& reply);
    // Readable while replies wait; the server empties it with drain_wake().
    int wake_fd() const { return wake_fd_; }
    void drain_wake();

    // ---- the emulation thread's side ----
    // Whether events wait: one relaxed load, for the boundaries' fast path.
    bool pending() const { return pending_.load(std::memory_order_relaxed); }
    // The next event, waiting for one up to `wait`; false when none came.
    bool next(Event& event, std::chrono::milliseconds wait);
    void reply(uint64_t client, std::string payload, Reply::Kind kind = Reply::Answer);

    // Forgets everything (between sessions of tests).
    void clear();

    static constexpr size_t kMaxQueued = 256;

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Event> events_;
    std::deque<Reply> replies_;
    std::atomic<bool> pending_{false};
    int wake_fd_ = -1;
};

}  // namespace gdbstub
