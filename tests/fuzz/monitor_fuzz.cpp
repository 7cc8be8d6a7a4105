// Fuzzes the monitor: fuzzed command lines through the input hook, against a
// core running fuzzed memory. Commands that would run for ever (e, a b never
// reached, a huge t) are ended by the stop check after a number of steps.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cpudebug.h"
#include "fuzz_memory.h"

namespace {

struct Enough {};

std::vector<std::string> lines;
size_t next_line;
int checks_left;

char* next_command(char* buffer, int size) {
    if (next_line >= lines.size()) return nullptr;
    const std::string& line = lines[next_line++];
    const size_t n = line.size() < static_cast<size_t>(size - 1) ? line.size() : static_cast<size_t>(size - 1);
    line.copy(buffer, n);
    buffer[n] = '\0';
    return buffer;
}

void stop_after_enough() {
    if (--checks_left < 0) throw Enough{};
}

void quiet(const char*) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    s68000init();
    cpudebug_stop_check = stop_after_enough;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzMemory memory(in);
    memory.install();
    s68000reset();
    if (in.ConsumeBool()) {
        _s68000context.pc = memory.first_low + in.ConsumeIntegralInRange<uint32_t>(0, 32);
        _s68000context.interrupts[0] = 0;
    }
    lines.clear();
    next_line = 0;
    const std::string script = in.ConsumeRemainingBytesAsString();
    size_t from = 0;
    for (size_t i = 0; i <= script.size(); ++i) {
        if (i == script.size() || script[i] == '\n') {
            lines.push_back(script.substr(from, i - from + (i < script.size())));
            from = i + 1;
        }
    }
    checks_left = 5000;
    try {
        while (next_line < lines.size()) cpudebug_interactive(1, quiet, next_command, nullptr, nullptr);
    } catch (const Enough&) {
    }
    return 0;
}
