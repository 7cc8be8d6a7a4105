// The workbench's cost on the emulation thread, on the demo: the work at a
// frame boundary with the workbench open (commands, the snapshot with its
// copies and the listing), and whole frames with it open and closed. Each
// figure is one frame's; the frame budget is 16.7 ms and the workbench's
// share must stay under 2 ms.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "controller.h"
#include "machine.h"
#include "quiet_board.h"

namespace {

Machine& machine = boardMachine();
workbench::Controller controller(machine);

workbench::Controller* hooked = nullptr;
void frameBoundary() { hooked->frameBoundary(); }
uint32_t runSlice(int32_t cycles) { return hooked->runSlice(cycles); }


bool start() {
    static const bool started = [] {
        if (!startQuietly(machine, BENCH_DEMO_DIR)) return false;
        hooked = &controller;
        machine.setDebugger(frameBoundary, runSlice);
        for (int i = 0; i < 120; ++i) machine.runFrame(KeyStates{});
        return true;
    }();
    return started;
}

void FrameBoundaryOpen(benchmark::State& state) {
    if (!start()) return state.SkipWithError("the demo ROM set did not load");
    controller.setOpen(true);
    for (auto _ : state) controller.frameBoundary();
    controller.setOpen(false);
    controller.frameBoundary();
}
BENCHMARK(FrameBoundaryOpen)->Unit(benchmark::kMicrosecond);

void DemoFrame(benchmark::State& state) {
    if (!start()) return state.SkipWithError("the demo ROM set did not load");
    controller.setOpen(state.range(0) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(machine.runFrame(KeyStates{}));
    controller.setOpen(false);
    machine.runFrame(KeyStates{});
}
BENCHMARK(DemoFrame)->ArgName("workbench_open")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
