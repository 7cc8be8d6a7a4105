// Fuzzes the disassembler: fuzzed memory in oddly placed and sized program
// regions, listed from a fuzzed address with every count. Each instruction
// consumes 2 to 10 bytes (addresses wrap at 24 bits); nothing is read outside
// an image.
#include "cpudebug.h"
#include "fuzz_check.h"
#include "fuzz_memory.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzMemory memory(in);
    const int count = in.ConsumeIntegralInRange(0, 40);
    const uint32_t start = in.ConsumeBool() ? memory.first_low + in.ConsumeIntegralInRange<uint32_t>(0, 64)
                                            : in.ConsumeIntegral<uint32_t>();
    debugpc = start;
    cpudebug_disassemble(count);
    const uint32_t consumed = (debugpc - start) & 0xFFFFFF;  // listings wrap at 24 bits
    if (consumed < 2u * count || consumed > 10u * count) fail("an instruction of fewer than 2 or more than 10 bytes");
    return 0;
}
