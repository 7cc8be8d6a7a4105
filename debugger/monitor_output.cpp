// Where the debugger's text goes: the monitor's dumps and listings through
// monitor_print (standard output or a capture), and cpudebug_printf's
// formatted text, handed on line by line to the output hook (or standard
// output), with the unused cpudebug_disabled.
#include "monitor_output.h"

#include <cstdarg>
#include <cstdio>

#include "cpudebug.h"
#include "printf_to.h"

namespace {

// The monitor and the gdb stub print on the emulation thread only.
std::string* capture = nullptr;

}  // namespace

void monitor_print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vprintfTo(capture, format, args);
    va_end(args);
}

MonitorCapture::MonitorCapture() : previous_(capture) { capture = &text_; }

MonitorCapture::~MonitorCapture() { capture = previous_; }

namespace {

// cpudebug_printf's lines.
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
