// The profiler's cycle accounting over flow events as the core reports them.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "profiler.h"

namespace {

using workbench::Profile;
using workbench::Profiler;

constexpr uint32_t kMain = 0x100, kA = 0x200, kB = 0x300, kF = 0x400, kHandler = 0x500, kC = 0x600;
constexpr uint32_t kTop = 0x10000;  // the stack pointer at the start

S68000Flow call(uint32_t cycles, uint32_t callee, uint32_t sp) {
    return {S68000FlowKind::Call, 0, 0, 0x1000 + cycles, callee, sp, cycles};
}
S68000Flow ret(uint32_t cycles, uint32_t sp) { return {S68000FlowKind::Return, 0, 0, 0, 0x2000, sp, cycles}; }
S68000Flow interrupt(uint32_t cycles, uint32_t sp) {
    return {S68000FlowKind::Exception, 28, 4, 0x3000, kHandler, sp, cycles};
}
S68000Flow rte(uint32_t cycles) { return {S68000FlowKind::ExceptionReturn, 0, 0, 0, 0x3000, kTop - 8, cycles}; }

struct Expected {
    uint32_t function;
    uint64_t self, inclusive, calls;
};

struct Case {
    const char* name;
    std::vector<S68000Flow> events;  // cycles relative to the start
    uint32_t end;
    std::vector<Expected> functions;
    uint32_t jump = 0;  // after the events, frame boundaries at 40 (twice) and `jump` cycles later
};

TEST(Profiler, CyclesAddUpPerFunction) {
    const Case cases[] = {
        {"nested calls",
         {call(10, kA, kTop - 4), call(20, kB, kTop - 8), ret(50, kTop - 4), ret(70, kTop)},
         100,
         {{kMain, 40, 100, 1}, {kA, 30, 60, 1}, {kB, 30, 30, 1}}},
        {"recursion counts the outermost call's inclusive cycles once",
         {call(10, kF, kTop - 4), call(20, kF, kTop - 8), ret(40, kTop - 4), ret(60, kTop)},
         100,
         {{kMain, 50, 100, 1}, {kF, 50, 50, 2}}},
        {"an interrupt in the middle of a function is a root of its own",
         {call(10, kA, kTop - 4), interrupt(30, kTop - 10), call(40, kB, kTop - 14), ret(50, kTop - 10), rte(60),
          ret(80, kTop)},
         100,
         {{kMain, 30, 70, 1}, {kA, 40, 40, 1}, {kHandler, 20, 30, 1}, {kB, 10, 10, 1}}},
        {"a function left by an exception whose handler resets the stack",
         {call(10, kA, kTop - 4), call(20, kB, kTop - 8), interrupt(30, kTop - 14), call(50, kC, kTop - 4),
          ret(60, kTop)},
         100,
         {{kMain, 50, 80, 1}, {kA, 10, 20, 1}, {kB, 10, 10, 1}, {kHandler, 20, 20, 1}, {kC, 10, 10, 1}}},
        {"open frames count to the end",
         {call(10, kA, kTop - 4), call(20, kB, kTop - 8)},
         100,
         {{kMain, 10, 100, 1}, {kA, 10, 90, 1}, {kB, 80, 80, 1}}},
        {"a state loaded between frames: its jump of the odometer counts nowhere",
         {call(10, kA, kTop - 4)},
         10'000'100,
         {{kMain, 70, 100, 2}, {kA, 30, 30, 1}},
         10'000'000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        constexpr uint32_t kStart = 0xFFFFFF00;  // the odometer wraps within the range
        Profiler profiler;
        profiler.start(kMain, kStart);
        for (S68000Flow e : c.events) {
            e.cycles += kStart;
            profiler.flow(e);
        }
        if (c.jump) {
            profiler.frame(kMain, kStart + 40);
            profiler.frame(kMain, kStart + 40);  // a frame held stopped: no frame ran
            profiler.frame(kMain, kStart + 40 + c.jump);
        }
        profiler.stop(kStart + c.end);
        const Profile p = profiler.profile(0);
        EXPECT_EQ(p.cycles, c.end - c.jump);
        EXPECT_EQ(p.frames, c.jump ? 3u : 1u);  // the frames that ran, the last one under way
        uint64_t selfSum = 0;
        for (const auto& [function, cost] : p.functions) selfSum += cost.self;
        EXPECT_EQ(selfSum, c.end - c.jump);
        EXPECT_EQ(p.functions.size(), c.functions.size());
        for (const Expected& e : c.functions) {
            SCOPED_TRACE(e.function);
            ASSERT_TRUE(p.functions.count(e.function));
            const auto& cost = p.functions.at(e.function);
            EXPECT_EQ(cost.self, e.self);
            EXPECT_EQ(cost.inclusive, e.inclusive);
            EXPECT_EQ(cost.calls, e.calls);
        }
    }
}

}  // namespace
