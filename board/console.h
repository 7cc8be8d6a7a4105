// The board's console report (start-up, reset): standard output, unless a
// host that has a log of its own takes the text instead.
#pragma once

// Receives the report's text piece by piece, as printed: a line may come in
// several pieces, and its end is the '\n'.
using ConsoleSink = void (*)(const char* text);
// Installs `sink` for the report; null (the start) is standard output.
void pm_setConsoleSink(ConsoleSink sink);

// Prints to the report.
void pm_print(const char* format, ...) __attribute__((format(printf, 1, 2)));
