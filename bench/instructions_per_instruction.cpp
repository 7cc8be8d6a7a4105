// Host instructions per emulated 68000 instruction on a workload program (the
// self-test's or the call-heavy one), for a run under callgrind (which counts
// instructions, repeatably, whatever else the machine does). Collection
// covers only the emulation: run with
//   valgrind --tool=callgrind --instr-atstart=no instructions_per_instruction ROM_DIR/
// It prints the emulated cycles and instructions of the measured run; the
// host instructions are callgrind's total.
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "board.h"

extern "C" {
#include "calls_abi.h"
#include "selftest_abi.h"
}

namespace {

constexpr uint32_t kCycles = 40'000'000;  // five seconds of a real 68000

// Both workload programs keep their iteration count as a big-endian long at
// the same place in ROM; the run sets more than it can finish.
static_assert(SELFTEST_PARAMS_ADDRESS == CALLS_PARAMS_ADDRESS);
constexpr uint32_t kIterationsAddress = SELFTEST_PARAMS_ADDRESS + 4;

void start(const char* dir) {
    pm_initAll(dir);
    const uint16_t iterations[2] = {0x7FFF, 0xFFFF};
    std::memcpy(codeRom + kIterationsAddress, iterations, sizeof iterations);
    pm_reset();
    s68000tripOdometer();  // each run counts from 0
}

// The CPU part of the frame driver, until the odometer reaches `cycles`.
void run_frames(uint32_t cycles) {
    while (s68000readOdometer() < cycles) {
        for (int slice = 0; slice < 3; ++slice) {
            if (NextInterrupt) s68000interrupt(4, NextInterrupt);
            s68000exec(44444);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ROM_DIR/\n", argv[0]);
        return 2;
    }
    start(argv[1]);
    CALLGRIND_START_INSTRUMENTATION;
    run_frames(kCycles);
    CALLGRIND_STOP_INSTRUMENTATION;
    const uint32_t cycles = s68000readOdometer();

    // The same run again from reset, one instruction at a time, counts the
    // instructions (the run is deterministic).
    start(argv[1]);
    uint64_t instructions = 0;
    while (s68000readOdometer() < cycles) {
        // The board's interrupts at the same points: before each slice.
        const uint32_t slice_end = s68000readOdometer() + 44444;
        if (NextInterrupt) s68000interrupt(4, NextInterrupt);
        while (s68000readOdometer() < slice_end) {
            s68000exec(1);
            ++instructions;
        }
    }
    std::printf("emulated cycles %u\nemulated instructions %llu\n", cycles,
                static_cast<unsigned long long>(instructions));
    return 0;
}
