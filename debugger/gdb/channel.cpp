#include "channel.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace gdbstub {

Channel::Channel() : wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

Channel::~Channel() {
    if (wake_fd_ >= 0) close(wake_fd_);
}

namespace {

bool connection_change(const Event& event) {
    return event.kind == Event::Connected || event.kind == Event::Disconnected;
}

}  // namespace

bool Channel::post(Event event) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool change = connection_change(event);
        if (!change && events_.size() >= kMaxQueued) return false;
        // An end replaces the connection change just before it: an end that
        // follows a start stands for that client's whole visit, and a later
        // end covers an earlier one. A start is always queued, so that the
        // target runs between one client's end and the next one's start.
        // Clients that come and go while nothing takes the events (no game
        // booted) leave an end and a start at most.
        if (event.kind == Event::Disconnected && !events_.empty() && connection_change(events_.back())) {
            events_.back() = std::move(event);
            if (events_.size() >= 2 && events_[events_.size() - 2].kind == Event::Disconnected)
                events_.erase(events_.end() - 2);
        } else {
            events_.push_back(std::move(event));
        }
        pending_.store(true, std::memory_order_relaxed);
    }
    arrived_.notify_one();
    return true;
}

bool Channel::next(Event& event, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!arrived_.wait_for(lock, wait, [&] { return !events_.empty(); })) return false;
    event = std::move(events_.front());
    events_.pop_front();
    pending_.store(!events_.empty(), std::memory_order_relaxed);
    return true;
}

void Channel::reply(uint64_t client, std::string payload, Reply::Kind kind) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        replies_.push_back({client, std::move(payload), kind});
    }
    const uint64_t one = 1;
    if (write(wake_fd_, &one, sizeof one) < 0) {
        // The counter is full only if the server stopped reading; the reply waits in the queue.
    }
}

bool Channel::take_reply(Reply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (replies_.empty()) return false;
    reply = std::move(replies_.front());
    replies_.pop_front();
    return true;
}

void Channel::drain_wake() {
    uint64_t count;
    while (read(wake_fd_, &count, sizeof count) > 0) {
    }
}

void Channel::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
    replies_.clear();
    pending_.store(false, std::memory_order_relaxed);
    drain_wake();
}

}  // namespace gdbstub
