// The emulator on its real workloads: the 68000 core running the self-test
// ROM set's CPU-bound workloads (emulated cycles per host second), and whole
// unpaced frames of the demo ROM set (pm_render: CPU, clear and sprites).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "board.h"

#ifndef BENCH_SELFTEST_DIR
#error "BENCH_SELFTEST_DIR must name the self-test ROM set's directory"
#endif
#ifndef BENCH_DEMO_DIR
#error "BENCH_DEMO_DIR must name the demo ROM set's directory"
#endif

namespace {

// Board start-up on a ROM set directory, its console report kept out of the
// benchmark's table. False when the set could not be loaded.
bool start_board(const std::string& dir) {
    std::fflush(stdout);
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    pm_initAll(dir.c_str());
    std::fflush(stdout);
    dup2(saved, 1);
    close(null);
    close(saved);
    return codeRom && tilesRom && onboardRam && spriteRam && _s68000context.pc == (_s68000context.pc & ~1u);
}

void quiet_reset() {
    std::fflush(stdout);
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    pm_reset();
    std::fflush(stdout);
    dup2(saved, 1);
    close(null);
    close(saved);
}

// The CPU part of a frame, exactly as the frame driver runs it.
void cpu_frame() {
    for (int slice = 0; slice < 3; ++slice) {
        if (NextInterrupt) s68000interrupt(4, NextInterrupt);
        s68000exec(static_cast<int32_t>(cpucycles_by_frame.load(std::memory_order_relaxed) / 3));
    }
}

void BM_SelfTestWorkload(benchmark::State& state) {
    if (!start_board(BENCH_SELFTEST_DIR)) {
        state.SkipWithError("the self-test ROM set could not be loaded");
        return;
    }
    // The parameter block at 0x100 sets the workloads' iterations: enough
    // that they never finish while we measure.
    const uint16_t iterations[2] = {0x7FFF, 0xFFFF};
    std::memcpy(codeRom + 0x104, iterations, sizeof iterations);
    quiet_reset();
    for (int warm = 0; warm < 10; ++warm) cpu_frame();
    // The odometer is 32 bits wide: add up frame by frame.
    uint64_t total = 0;
    for (auto _ : state) {
        const uint32_t before = s68000readOdometer();
        cpu_frame();
        total += s68000readOdometer() - before;
    }
    const double cycles = static_cast<double>(total);
    state.counters["cycles"] = benchmark::Counter(cycles, benchmark::Counter::kIsRate);
    state.counters["x_real_68000"] = benchmark::Counter(cycles / 8e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SelfTestWorkload)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_DemoFrame(benchmark::State& state) {
    if (!start_board(BENCH_DEMO_DIR)) {
        state.SkipWithError("the demo ROM set could not be loaded");
        return;
    }
    quiet_reset();
    for (int warm = 0; warm < 120; ++warm) pm_render(false, false, 0);
    for (auto _ : state) benchmark::DoNotOptimize(pm_render(false, false, 0));
    state.counters["frames"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemoFrame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
