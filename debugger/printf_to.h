// printf into a string, for the texts that go to standard output unless
// something collects them (the board's console report, the monitor's output).
#pragma once

#include <cstdarg>
#include <string>

// Formats as vprintf does: onto standard output when `text` is null,
// otherwise appended to *text. Consumes `arguments`.
void vprintfTo(std::string* text, const char* format, va_list arguments);
