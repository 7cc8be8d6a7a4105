// Standard input for the monitor: fd 0 read directly into a line buffer of
// our own, waiting in polls of 50 ms so that the stop check runs while the
// user types. (stdio's FILE buffer would hide data from poll.) And Ctrl-C
// (SIGINT), which ends the monitor's long loops instead of the program while
// they run.
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "monitor.h"

namespace {

constexpr int kPollMilliseconds = 50;
constexpr size_t kCapacity = 4096;

char pending[kCapacity];
size_t pending_begin = 0;
size_t pending_end = 0;
bool end_seen = false;

void compact() {
    if (pending_begin == 0) return;
    std::memmove(pending, pending + pending_begin, pending_end - pending_begin);
    pending_end -= pending_begin;
    pending_begin = 0;
}

// Reads what fd 0 has into the buffer. False at end of input or on an error
// other than an interrupted call.
bool fill() {
    compact();
    ssize_t count = read(STDIN_FILENO, pending + pending_end, kCapacity - pending_end);
    if (count > 0) {
        pending_end += static_cast<size_t>(count);
        return true;
    }
    return count < 0 && (errno == EINTR || errno == EAGAIN);
}

// False when the host asked the monitor to leave before anything came.
bool wait_readable() {
    for (;;) {
        monitor_stop_check();
        if (monitor_leave_requested()) return false;
        pollfd input = {STDIN_FILENO, POLLIN, 0};
        int ready = poll(&input, 1, kPollMilliseconds);
        if (ready > 0) return true;  // data, end of input or an error: read tells which
        if (ready < 0 && errno != EINTR) return true;
    }
}

}  // namespace

LineRead console_read_line(char* line, int size) {
    const size_t limit = static_cast<size_t>(size - 1);
    for (;;) {
        size_t available = pending_end - pending_begin;
        size_t scan = available < limit ? available : limit;
        const char* start = pending + pending_begin;
        const char* newline = static_cast<const char*>(std::memchr(start, '\n', scan));
        if (newline || available >= limit || (end_seen && available > 0)) {
            size_t length = newline ? static_cast<size_t>(newline - start) + 1 : scan;
            std::memcpy(line, start, length);
            line[length] = '\0';
            pending_begin += length;
            return LineRead::Line;
        }
        if (end_seen) {
            // Reported once: a console may go on after its end-of-file key.
            end_seen = false;
            return LineRead::End;
        }
        if (!wait_readable()) return LineRead::Left;
        if (!fill()) end_seen = true;
    }
}

bool console_still_at_end() {
    if (pending_end > pending_begin) return false;
    pollfd input = {STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0) return false;
    return !fill();
}

void console_reset() {
    pending_begin = pending_end = 0;
    end_seen = false;
}

// ---- Ctrl-C ----

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
