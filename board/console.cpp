#include "console.h"

#include <cstdarg>
#include <string>

#include "printf_to.h"

namespace {
ConsoleSink consoleSink = nullptr;
}  // namespace

void pm_setConsoleSink(ConsoleSink sink) { consoleSink = sink; }

void pm_print(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    if (!consoleSink) {
        vprintfTo(nullptr, format, arguments);
    } else {
        std::string text;
        vprintfTo(&text, format, arguments);
        if (!text.empty()) consoleSink(text.c_str());
    }
    va_end(arguments);
}
