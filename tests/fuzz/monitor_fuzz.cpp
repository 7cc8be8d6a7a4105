// Fuzzes the monitor: fuzzed command lines through the input hook, against a
// core running fuzzed memory. Commands that would run for ever (e, a b never
// reached, a huge t) are ended by the stop check after a number of steps.
#include <algorithm>

#include "cpudebug.h"
#include "fuzz_check.h"
#include "fuzz_memory.h"

namespace {

struct Enough {};

std::string script;  // its lines, each with its newline but the last, cut to what the buffer holds
size_t at;
int checks_left;

char* next_command(char* buffer, int size) {
    if (at > script.size()) return nullptr;
    const size_t newline = script.find('\n', at), end = newline == std::string::npos ? script.size() : newline + 1;
    buffer[script.copy(buffer, std::min(end - at, static_cast<size_t>(size - 1)), at)] = '\0';
    at = newline == std::string::npos ? script.size() + 1 : end;
    return buffer;
}

void stop_after_enough() {
    if (--checks_left < 0) throw Enough{};
}

void quiet(const char*) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceStdout();
    s68000init();
    cpudebug_stop_check = stop_after_enough;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzMemory memory(in);
    s68000reset();
    if (in.ConsumeBool()) {
        _s68000context.pc = memory.first_low + in.ConsumeIntegralInRange<uint32_t>(0, 32);
        _s68000context.interrupts[0] = 0;
    }
    script = in.ConsumeRemainingBytesAsString();
    at = 0;
    checks_left = 5000;
    try {
        while (at <= script.size()) cpudebug_interactive(1, quiet, next_command, nullptr, nullptr);
    } catch (const Enough&) {
    }
    return 0;
}
