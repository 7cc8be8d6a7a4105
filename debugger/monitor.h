// Internals of the monitor shared by its files.
#pragma once

#include <csignal>
#include <cstdint>

#include "cpudebug.h"

constexpr int kCommandLineSize = 80;  // 79 characters and the terminator

// Calls cpudebug_stop_check when there is one; it may unwind.
inline void monitor_stop_check() {
    if (cpudebug_stop_check) cpudebug_stop_check();
}

// Whether the host asks the monitor to leave (cpudebug_leave_check).
inline bool monitor_leave_requested() { return cpudebug_leave_check && cpudebug_leave_check(); }

// The standard unsigned conversion of a 32-bit host: leading white space,
// an optional sign, digits of `base` (16 allows a "0x" prefix). Out-of-range
// values give 0xFFFFFFFF; a '-' negates modulo 2^32. False when no digit is
// taken, as when strtoul's end pointer stays at the start.
bool parse_unsigned(const char* text, int base, uint32_t* value);

// ---- Standard input, read with poll(2) on fd 0 and a line buffer of our own ----

// What waiting for a command line ended with.
enum class LineRead {
    Line,  // a line was read
    End,   // end of input (or a read error)
    Left,  // the host asked the monitor to leave
};

// Reads one line of at most size - 1 characters, keeping the newline, like
// fgets. Waits in short polls, calling the stop and leave checks between them.
LineRead console_read_line(char* line, int size);

// After an end of input: true while standard input still reports its end
// now, without waiting. A console on which nothing has been typed yet is
// not at its end.
bool console_still_at_end();

// Forgets buffered input (for tests that swap standard input).
void console_reset();

// ---- Ctrl-C during the monitor's long loops ----

// Installs a SIGINT handler for its lifetime and restores the previous
// disposition when it ends, unwound or not.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    bool interrupted() const;

private:
    struct sigaction previous_;
};

// Prints the help text of the `?` command.
void cpudebug_help();
