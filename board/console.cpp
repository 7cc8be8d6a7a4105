#include "console.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {
ConsoleSink consoleSink = nullptr;
}  // namespace

void pm_setConsoleSink(ConsoleSink sink) { consoleSink = sink; }

void pm_print(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    if (!consoleSink) {
        std::vprintf(format, arguments);
        va_end(arguments);
        return;
    }
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    if (length > 0) {
        std::string text(static_cast<size_t>(length), '\0');
        std::vsnprintf(text.data(), text.size() + 1, format, again);
        consoleSink(text.c_str());
    }
    va_end(again);
}
