// A failed check in a fuzz target names itself and aborts, which libFuzzer
// reports with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// A refusal's reason: one line, not empty.
inline bool oneLine(const std::string& reason) { return !reason.empty() && reason.find('\n') == std::string::npos; }
