// Host instructions per emulated 68000 instruction on a workload program (the
// self-test's or the call-heavy one), for a run under callgrind (which counts
// instructions, repeatably, whatever else the machine does). Collection
// covers only the emulation: run with
//   valgrind --tool=callgrind --instr-atstart=no instructions_per_instruction ROM_DIR/ [SCRIPT.lua]
// It prints the emulated cycles and instructions of the measured run; the
// host instructions are callgrind's total. With SCRIPT, the frames run with
// the script engine attached to the run control, as in the program, and the
// script started at the first frame (bench/frame_callback.lua: a frame
// callback alone).
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstring>

#include "engine.h"
#include "machine.h"
#include "run_control.h"

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

Machine& machine = boardMachine();

struct NoHost final : scripting::ScriptHost {
    bool paused() const override { return false; }
    void setPaused(bool) override {}
    void exit(int) override {}
    void reset() override {}
    void state(bool, int, const std::string&) override {}
    bool screenshot(const std::string&, std::string&) override { return false; }
};
RunControl control;
void frameBoundary() { control.frameBoundary(); }
uint32_t runSlice(int32_t cycles) { return control.runSlice(cycles); }

// The program from power-on (its cycles counted from 0), running more
// iterations than the run can finish.
void start() {
    machine.powerOn();
    const uint16_t iterations[2] = {0x7FFF, 0xFFFF};
    std::memcpy(machine.memory(Memory::ProgramRom).data() + kIterationsAddress, iterations, sizeof iterations);
    machine.reset();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s ROM_DIR/ [SCRIPT.lua]\n", argv[0]);
        return 2;
    }
    if (!machine.startUp(argv[1])) {
        std::fprintf(stderr, "%s: no ROM set could be loaded from %sRoms/\n", argv[0], argv[1]);
        return 1;
    }
    NoHost host;
    scripting::Engine engine(machine, host);
    if (argc == 3) {
        control.attach(engine);
        machine.setDebugger(frameBoundary, runSlice);
        engine.runFile(argv[2]);
    }
    // The CPU part of the frame driver, until the count reaches kCycles.
    const KeyStates keys;
    start();
    CALLGRIND_START_INSTRUMENTATION;
    while (machine.cycles() < kCycles) machine.runFrame(keys, FrameRun{.draw = false});
    CALLGRIND_STOP_INSTRUMENTATION;
    const uint32_t cycles = machine.cycles();
    machine.setDebugger(nullptr, nullptr);

    // The same run again from power-on, one instruction at a time, counts the
    // instructions (the run is deterministic).
    start();
    uint64_t instructions = 0;
    while (machine.cycles() < cycles) machine.runFrame(keys, FrameRun{.draw = false, .instructions = &instructions});
    std::printf("emulated cycles %u\nemulated instructions %llu\n", cycles,
                static_cast<unsigned long long>(instructions));
    return 0;
}
