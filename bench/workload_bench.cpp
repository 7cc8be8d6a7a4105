// The emulator on its real workloads: the 68000 core running the self-test
// ROM set's CPU-bound workloads and the call-heavy workload (emulated cycles
// per host second), and whole unpaced frames of the demo ROM set (the CPU,
// the fill and the sprites).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "machine.h"
#include "quiet_board.h"

extern "C" {
#include "calls_abi.h"
#include "selftest_abi.h"
#include "workload.h"
}

#ifndef BENCH_SELFTEST_DIR
#error "BENCH_SELFTEST_DIR must name the self-test ROM set's directory"
#endif
#ifndef BENCH_CALLS_DIR
#error "BENCH_CALLS_DIR must name the call-heavy workload's ROM set directory"
#endif
#ifndef BENCH_DEMO_DIR
#error "BENCH_DEMO_DIR must name the demo ROM set's directory"
#endif

namespace {

Machine& machine = boardMachine();


// Board start-up on a ROM set directory, its console report kept out of the
// benchmark's table. False when the set could not be loaded or the program
// cannot start.
bool start_board(const std::string& dir) {
    if (!startQuietly(machine, dir)) return false;
    auto state = std::make_unique<BoardState>();
    machine.capture(*state);
    return (state->pc & 1) == 0;
}

void quiet_reset() { quietly(machine, [] { machine.reset(); }); }

// The CPU part of a frame, exactly as the frame driver runs it.
void cpu_frame() { machine.runFrame(KeyStates{}, FrameRun{.draw = false}); }

// Both workload programs keep their iteration count as a big-endian long
// at the same place in ROM.
static_assert(SELFTEST_PARAMS_ADDRESS == CALLS_PARAMS_ADDRESS);
constexpr uint32_t kIterationsAddress = SELFTEST_PARAMS_ADDRESS + 4;

// Emulated cycles per second of a workload program, set to run more
// iterations than the measurement can finish. False when it could not start.
bool measure_workload(benchmark::State& state, const char* dir) {
    if (!start_board(dir)) {
        state.SkipWithError("the workload's ROM set could not be loaded");
        return false;
    }
    const uint16_t iterations[2] = {0x7FFF, 0xFFFF};
    std::memcpy(machine.memory(Memory::ProgramRom).data() + kIterationsAddress, iterations, sizeof iterations);
    quiet_reset();
    for (int warm = 0; warm < 10; ++warm) cpu_frame();
    // The odometer is 32 bits wide: add up frame by frame.
    uint64_t total = 0;
    for (auto _ : state) {
        const uint32_t before = machine.cycles();
        cpu_frame();
        total += machine.cycles() - before;
    }
    const double cycles = static_cast<double>(total);
    state.counters["cycles"] = benchmark::Counter(cycles, benchmark::Counter::kIsRate);
    state.counters["x_real_68000"] = benchmark::Counter(cycles / 8e6, benchmark::Counter::kIsRate);
    return true;
}

// A long of work RAM.
uint32_t ram_long(uint32_t address) { return machine.peekLong(address).value_or(0); }

void BM_SelfTestWorkload(benchmark::State& state) { measure_workload(state, BENCH_SELFTEST_DIR); }
BENCHMARK(BM_SelfTestWorkload)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Calls, returns and long moves: a bytecode interpreter and a hash table. The
// measurement counts only when the program's result equals the host's (after
// the measured frames, more frames run untimed until a first run of the
// workload has finished).
void BM_CallHeavyWorkload(benchmark::State& state) {
    if (!measure_workload(state, BENCH_CALLS_DIR)) return;
    const uint32_t iterations = CALLS_BLOCK_ADDRESS + offsetof(calls_block, iterations);
    for (int frame = 0; frame < 1000 && ram_long(iterations) == 0; ++frame) cpu_frame();
    if (ram_long(iterations) == 0)
        state.SkipWithError("no run of the workload finished");
    else if (ram_long(CALLS_BLOCK_ADDRESS + offsetof(calls_block, result)) != calls_workload(nullptr))
        state.SkipWithError("the workload's result differs from the host's");
}
BENCHMARK(BM_CallHeavyWorkload)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_DemoFrame(benchmark::State& state) {
    if (!start_board(BENCH_DEMO_DIR)) {
        state.SkipWithError("the demo ROM set could not be loaded");
        return;
    }
    quiet_reset();
    const KeyStates keys;
    for (int warm = 0; warm < 120; ++warm) machine.runFrame(keys);
    for (auto _ : state) benchmark::DoNotOptimize(machine.runFrame(keys));
    state.counters["frames"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemoFrame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
