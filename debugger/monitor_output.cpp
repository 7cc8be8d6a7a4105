#include "monitor_output.h"

#include <cstdarg>
#include <cstdio>

namespace {

// The monitor and the gdb stub print on the emulation thread only.
std::string* capture = nullptr;

}  // namespace

void monitor_print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (!capture) {
        std::vprintf(format, args);
        va_end(args);
        return;
    }
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length > 0) {
        const size_t start = capture->size();
        capture->resize(start + static_cast<size_t>(length) + 1);
        std::vsnprintf(capture->data() + start, static_cast<size_t>(length) + 1, format, again);
        capture->resize(start + static_cast<size_t>(length));
    }
    va_end(again);
}

MonitorCapture::MonitorCapture() : previous_(capture) { capture = &text_; }

MonitorCapture::~MonitorCapture() { capture = previous_; }
