#include "printf_to.h"

#include <cstdio>

void vprintfTo(std::string* text, const char* format, va_list arguments) {
    if (!text) {
        std::vprintf(format, arguments);
        return;
    }
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    if (length > 0) {
        const size_t start = text->size();
        text->resize(start + static_cast<size_t>(length) + 1);
        std::vsnprintf(text->data() + start, static_cast<size_t>(length) + 1, format, again);
        text->resize(start + static_cast<size_t>(length));
    }
    va_end(again);
}
