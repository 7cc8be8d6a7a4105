// cpudebug_printf: formatted text handed on line by line to the output hook
// (or standard output), and the unused cpudebug_disabled.
#include <cstdarg>
#include <cstdio>

#include "cpudebug.h"

namespace {

constexpr int kTextSize = 400;
constexpr int kLineSize = 100;

char line_buffer[kLineSize];
int line_index = 0;  // characters waiting in line_buffer, kept between calls

void hand_on_line() {
    line_buffer[line_index] = '\0';
    if (cpudebug_put)
        cpudebug_put(line_buffer);
    else
        std::fputs(line_buffer, stdout);
    line_index = 0;
}

}  // namespace

// A text longer than 399 characters is cut there.
void cpudebug_printf(const char* format, ...) {
    char text[kTextSize];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length <= 0) return;
    for (const char* p = text; *p; ++p) {
        line_buffer[line_index++] = *p;
        if (*p == '\n' || line_index == kLineSize - 1) hand_on_line();
    }
}

int cpudebug_disabled() { return 0; }
