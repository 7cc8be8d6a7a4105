// The kept past on the demo ROM set: whole frames unpaced with the history
// off and on (its cost to the emulation thread), one frame rewound, and the
// memory an hour of headless play leaves it holding.
#include <benchmark/benchmark.h>

#include <random>

#include "history.h"
#include "machine.h"
#include "quiet_board.h"
#include "reverse_search.h"
#include "s68000.h"

#ifndef BENCH_DEMO_DIR
#error "BENCH_DEMO_DIR must name the demo ROM set's directory"
#endif

namespace {

Machine& machine = boardMachine();


bool demoStarted() {
    static const bool started = startQuietly(machine, BENCH_DEMO_DIR);
    return started;
}

// A player's keys: a new random set of the board's keys every few frames.
struct Player {
    std::mt19937 random{1};
    KeyStates keys;
    const KeyStates& next() {
        if (random() % 6 == 0) {
            keys = {};
            for (uint8_t key : {kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeyLeftAlt, kKeySpace, kKeyLeftShift})
                if (random() % 3 == 0) keys.hold(key);
        }
        return keys;
    }
};

void powerOn() {
    quietly(machine, [] {
        machine.powerOn();
        machine.reset();
    });
}

// Frames as the desktop runs them (picture drawn), with the history kept or not.
void BM_Frames(benchmark::State& state) {
    if (!demoStarted()) return state.SkipWithError("the demo ROM set did not load");
    powerOn();
    const bool keep = state.range(0) != 0;
    History history;
    if (keep) history.start(machine);
    Player player;
    for (auto _ : state) {
        const KeyStates& keys = player.next();
        machine.runFrame(keys);
        if (keep) history.frameRan(machine, {keys, machine.speed()});
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(keep ? "history on" : "history off");
}
BENCHMARK(BM_Frames)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One frame back, after five minutes of play: the nearest snapshot undone
// and the frames after it run again.
void BM_RewindOneFrame(benchmark::State& state) {
    if (!demoStarted()) return state.SkipWithError("the demo ROM set did not load");
    powerOn();
    History history;
    history.start(machine);
    Player player;
    for (int f = 0; f < 300 * 60; ++f) {
        machine.runFrame(player.next());
        history.frameRan(machine, {player.keys, machine.speed()});
    }
    state.counters["MiB for 5 min"] = static_cast<double>(history.bytes()) / (1 << 20);
    for (auto _ : state) {
        if (!history.stepBack(machine)) {
            state.PauseTiming();
            for (int f = 0; f < 300 * 60; ++f) {
                machine.runFrame(player.next());
                history.frameRan(machine, {player.keys, machine.speed()});
            }
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_RewindOneFrame)->Unit(benchmark::kMicrosecond);

// Five minutes of play kept, the machine stopped half way through the frame
// after them: what a debugger's reverse step or reverse continue starts from.
struct StoppedPlay {
    History history;
    KeyStates keys;
    StoppedPlay() {
        powerOn();
        history.start(machine);
        Player player;
        for (int f = 0; f < 300 * 60; ++f) {
            machine.runFrame(player.next(), FrameRun{.draw = false});
            history.frameRan(machine, {player.keys, machine.speed()});
        }
        keys = player.next();
    }
    // A copy of the history, the machine half way into the next frame.
    History stopped() const {
        History past = history;
        past.goTo(machine, past.now());
        const uint32_t start = machine.cycles();
        machine.runFrameStepping(keys, [&] {
            if (machine.cycles() - start >= cyclesPerFrame(Speed::Fps60) / 2) return false;
            s68000exec(1);
            return true;
        });
        return past;
    }
};

// Reverse execution after five minutes of play: one instruction back; back
// to a breakpoint at the frame interrupt's handler (the last frame's); and
// back over the whole history to a breakpoint nothing reached (where gdb
// hears that the history begins).
void BM_Reverse(benchmark::State& state) {
    if (!demoStarted()) return state.SkipWithError("the demo ROM set did not load");
    static const StoppedPlay play;
    const int kind = static_cast<int>(state.range(0));
    const uint32_t handler = machine.peekLong(28 * 4).value_or(0);
    if (kind == 1) s68000setBreakpoint(handler);
    if (kind == 2) s68000setBreakpoint(0xFFFFFE);
    bool landed = true;
    for (auto _ : state) {
        state.PauseTiming();
        History past = play.stopped();
        state.ResumeTiming();
        const ReverseLanding landing =
            reverseSearch(machine, past, {play.keys, Speed::Fps60}, kind == 0 ? ReverseGoal::Step : ReverseGoal::Hit);
        landed = landed && landing.found == (kind != 2);
    }
    s68000clearBreakpoints();
    state.counters["frames kept"] = static_cast<double>(play.history.now() - play.history.oldest());
    state.SetLabel(kind == 0 ? "a step back" : kind == 1 ? "back to the last frame's interrupt" : "back over 5 minutes, no hit");
    if (!landed) state.SkipWithError("the landing was not the one expected");
}
BENCHMARK(BM_Reverse)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reverse)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);

// An hour of play without pictures: the memory held at its end stays
// within the bound (64 MiB), for five minutes kept.
void BM_HourOfPlay(benchmark::State& state) {
    if (!demoStarted()) return state.SkipWithError("the demo ROM set did not load");
    size_t bytes = 0;
    uint64_t kept = 0;
    for (auto _ : state) {
        powerOn();
        History history;
        history.start(machine);
        Player player;
        for (int f = 0; f < 3600 * 60; ++f) {
            machine.runFrame(player.next(), FrameRun{.draw = false});
            history.frameRan(machine, {player.keys, machine.speed()});
        }
        bytes = history.bytes();
        kept = history.now() - history.oldest();
    }
    state.counters["MiB held"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["seconds kept"] = static_cast<double>(kept) / 60;
    if (bytes > HistoryLimits{}.bytes) state.SkipWithError("the history holds more than its bound");
}
BENCHMARK(BM_HourOfPlay)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
