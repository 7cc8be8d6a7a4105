// Inside the kit: the one lock behind every kit wait, the record of each kit
// thread, and waits that a kill interrupts.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "kernel.h"

namespace kit {

// Thrown in a killed thread at its next kit wait or check; caught only by the
// thread's entry trampoline.
struct ThreadKilled {};

struct ThreadRecord {
    thread_id id = 0;
    std::string name;
    int32 priority = B_NORMAL_PRIORITY;
    thread_func func = nullptr;
    void* data = nullptr;

    // Guarded by kit::lock().
    enum class State { Suspended, Running, Exited } state = State::Suspended;
    status_t exitValue = 0;
    std::condition_variable* waitingOn = nullptr;  // the wait kill_thread must wake
    std::condition_variable wake;                  // resume and snooze
    std::thread thread;

    std::atomic<bool> killed{false};
};

// The lock of every kit wait. Held only for short bookkeeping, never while
// running code outside the kit.
std::mutex& lock();

// The record of the calling thread, or null when it is not a kit thread.
ThreadRecord* current_thread();

// Waits on `cv` (with `held` locking kit::lock()) until pred() holds. In a kit
// thread, a kill ends the wait by throwing ThreadKilled, even when pred()
// holds as well.
template <class Pred>
void wait(std::unique_lock<std::mutex>& held, std::condition_variable& cv, Pred pred) {
    ThreadRecord* self = current_thread();
    if (!self) {
        cv.wait(held, pred);
        return;
    }
    self->waitingOn = &cv;
    cv.wait(held, [&] { return self->killed.load(std::memory_order_acquire) || pred(); });
    self->waitingOn = nullptr;
    if (self->killed.load(std::memory_order_acquire)) throw ThreadKilled{};
}

// As wait(), until pred() holds or the deadline passes; returns pred().
template <class Pred>
bool wait_until(std::unique_lock<std::mutex>& held, std::condition_variable& cv,
                std::chrono::steady_clock::time_point deadline, Pred pred) {
    ThreadRecord* self = current_thread();
    if (!self) return cv.wait_until(held, deadline, pred);
    self->waitingOn = &cv;
    const bool done = cv.wait_until(
        held, deadline, [&] { return self->killed.load(std::memory_order_acquire) || pred(); });
    self->waitingOn = nullptr;
    if (self->killed.load(std::memory_order_acquire)) throw ThreadKilled{};
    return done;
}

}  // namespace kit
