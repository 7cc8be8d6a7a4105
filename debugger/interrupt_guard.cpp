// Ctrl-C (SIGINT) ends the monitor's long loops instead of the program,
// while they run.
#include <atomic>

#include "monitor.h"

namespace {

std::atomic<bool> interrupt_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "used from a signal handler");

extern "C" void on_interrupt(int) { interrupt_requested.store(true, std::memory_order_relaxed); }

}  // namespace

InterruptGuard::InterruptGuard() {
    interrupt_requested.store(false, std::memory_order_relaxed);
    struct sigaction action = {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
}

InterruptGuard::~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }

bool InterruptGuard::interrupted() const {
    return interrupt_requested.load(std::memory_order_relaxed);
}
