// Speed of the 68000 core on a CPU-bound loop: moves, adds, compares and
// branches over words of work RAM, a subroutine call and a DBRA loop, run
// through s68000exec in large slices. Reports emulated cycles and
// instructions per host second; a second benchmark measures single steps.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "s68000.h"
#include "s68000_debug.h"

namespace {

// 64 KiB of program memory at 0 and 16 KiB of work RAM at 0x100000, in the
// memory image format (each 68000 word a host-order 16-bit value).
struct Machine {
    std::vector<uint16_t> rom = std::vector<uint16_t>(0x8000);
    std::vector<uint16_t> ram = std::vector<uint16_t>(0x2000);
    program_region fetch[2];
    data_region data[3];

    Machine() {
        fetch[0] = s68000_program(0x000000, 0x00FFFF, rom.data());
        fetch[1] = s68000_program_end();
        data[0] = s68000_direct(0x100000, 0x103FFF, ram.data());
        data[1] = s68000_direct(0x000000, 0x00FFFF, rom.data());
        data[2] = s68000_data_end();
        assemble();
        s68000init();
        s68000context& c = _s68000context;
        std::memset(&c, 0, sizeof c);
        c.s_fetch = c.u_fetch = fetch;
        c.s_readbyte = c.s_readword = c.s_writebyte = c.s_writeword = data;
        c.u_readbyte = c.u_readword = c.u_writebyte = c.u_writeword = data;
        s68000reset();
    }

    void assemble() {
        uint32_t pc = 0;
        auto w = [&](uint16_t v) {
            rom[pc / 2] = v;
            pc += 2;
        };
        auto l = [&](uint32_t v) {
            w(static_cast<uint16_t>(v >> 16));
            w(static_cast<uint16_t>(v));
        };
        l(0x00104000);  // initial SSP: top of work RAM
        l(0x00001000);  // initial PC
        pc = 0x1000;
        const uint32_t start = pc;
        w(0x41F9); l(0x00100000);  // LEA $100000,A0
        w(0x3E3C); w(0x00FF);      // MOVE.W #255,D7
        w(0x7000);                 // MOVEQ #0,D0
        w(0x7400);                 // MOVEQ #0,D2
        const uint32_t loop = pc;
        w(0x3210);                 // MOVE.W (A0),D1
        w(0xD240);                 // ADD.W D0,D1
        w(0x30C1);                 // MOVE.W D1,(A0)+
        w(0xB27C); w(0x1234);      // CMP.W #$1234,D1
        w(0x6602);                 // BNE.S *+4
        w(0x5242);                 // ADDQ.W #1,D2
        w(0x5680);                 // ADDQ.L #3,D0
        const uint32_t call = pc;
        w(0x6100); w(0);           // BSR.W sub (patched below)
        w(0x51CF); w(static_cast<uint16_t>(loop - (pc)));  // DBRA D7,loop
        w(static_cast<uint16_t>(0x6000 | ((start - (pc + 2)) & 0xFF)));  // BRA.S start
        const uint32_t sub = pc;
        w(0xD681);                 // ADD.L D1,D3
        w(0xB143);                 // EOR.W D0,D3
        w(0x4E75);                 // RTS
        rom[(call + 2) / 2] = static_cast<uint16_t>(sub - (call + 2));
    }
};

// Cycles per instruction of the loop, measured by single steps over a few
// of its outer rounds.
double cycles_per_instruction() {
    Machine m;
    const uint32_t before = s68000readOdometer();
    constexpr int steps = 100000;
    for (int i = 0; i < steps; ++i) s68000exec(1);
    return static_cast<double>(s68000readOdometer() - before) / steps;
}

// Runs the loop in slices of state.range(0) cycles; `breakpoints` are set
// before, at addresses the loop never reaches.
void run_core_loop(benchmark::State& state, std::initializer_list<uint32_t> breakpoints) {
    const double cpi = cycles_per_instruction();
    Machine m;
    for (uint32_t address : breakpoints) s68000setBreakpoint(address);
    const int32_t slice = static_cast<int32_t>(state.range(0));
    uint64_t cycles = 0;
    for (auto _ : state) {
        const uint32_t before = s68000readOdometer();
        benchmark::DoNotOptimize(s68000exec(slice));
        cycles += s68000readOdometer() - before;
    }
    s68000clearBreakpoints();
    state.counters["cycles"] = benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kIsRate);
    state.counters["instructions"] =
        benchmark::Counter(static_cast<double>(cycles) / cpi, benchmark::Counter::kIsRate);
    state.counters["cycles_per_instruction"] = cpi;
}

void BM_CoreLoop(benchmark::State& state) { run_core_loop(state, {}); }
BENCHMARK(BM_CoreLoop)->Arg(1000000)->Arg(44444)->Unit(benchmark::kMicrosecond);

// The same loop while a debugger has breakpoints set: every instruction is
// checked against them.
void BM_CoreLoopWithBreakpoints(benchmark::State& state) { run_core_loop(state, {0x8000, 0x9002, 0xFFF0}); }
BENCHMARK(BM_CoreLoopWithBreakpoints)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The debug monitor's single step: s68000exec(1).
void BM_SingleStep(benchmark::State& state) {
    Machine m;
    for (auto _ : state) benchmark::DoNotOptimize(s68000exec(1));
    state.counters["steps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SingleStep);

}  // namespace
