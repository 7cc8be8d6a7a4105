// Fuzzes the disassembler: fuzzed memory in oddly placed and sized program
// regions, listed from a fuzzed address with every count. Each instruction
// consumes 2 to 10 bytes; nothing is read outside an image.
#include <cstdio>
#include <cstdlib>

#include "cpudebug.h"
#include "fuzz_memory.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzMemory memory(in);
    memory.install();
    const int count = in.ConsumeIntegralInRange(0, 40);
    const uint32_t start = in.ConsumeBool() ? memory.first_low + in.ConsumeIntegralInRange<uint32_t>(0, 64)
                                            : in.ConsumeIntegral<uint32_t>();
    debugpc = start;
    cpudebug_disassemble(count);
    const uint32_t consumed = debugpc - start;
    if (consumed < 2u * count || consumed > 10u * count) {
        std::fprintf(stderr, "disassembler fuzz: %u bytes for %d instructions\n", consumed, count);
        std::abort();
    }
    return 0;
}
