// What the core gives a debugger that the debugger's own tests do not reach:
// refusals of breakpoints and watchpoints, and data accesses and SR writes
// from outside a slice (refused inside one).
#include <tuple>

#include "core_fixture.h"

namespace {

using namespace coretest;

class DebuggerSupport : public CoreTest {
protected:
    void TearDown() override {
        s68000clearWatchpoints(), s68000clearBreakpoints();
        CoreTest::TearDown();
    }
};

TEST_F(DebuggerSupport, Refusals) {
    ASSERT_EQ(s68000setBreakpoint(0x1004), 0);
    EXPECT_EQ(s68000setBreakpoint(0xFF001004), 0);  // already set: 24-bit addresses
    for (uint32_t i = 1; i < S68000_MAX_BREAKPOINTS; ++i) ASSERT_EQ(s68000setBreakpoint(0x100 + 2 * i), 0);
    EXPECT_EQ(s68000setBreakpoint(0x9000), 1);
    EXPECT_EQ(s68000clearBreakpoint(0x9000), 1);
    EXPECT_EQ(s68000breakpointCount(), S68000_MAX_BREAKPOINTS);
    for (auto [address, length, kinds] : {std::tuple{0x100u, 0u, 1}, {0xFFFFFFu, 2u, 1}, {0x1000000u, 1u, 1},
                                          {0x100u, 2u, 0}, {0x100u, 2u, 4}})
        EXPECT_EQ(s68000setWatchpoint(address, length, kinds), 2) << address << " " << length << " " << kinds;
    EXPECT_EQ(s68000setWatchpoint(0xFFFFFF, 1, S68000_WATCH_READ), 0);
    for (uint32_t i = 1; i < S68000_MAX_WATCHPOINTS; ++i) ASSERT_EQ(s68000setWatchpoint(0x100 + i, 1, 1), 0);
    EXPECT_EQ(s68000setWatchpoint(0x80, 1, S68000_WATCH_READ), 1);
    EXPECT_EQ(s68000clearWatchpoint(0x80, 1, S68000_WATCH_READ), 1);
    EXPECT_EQ(s68000clearWatchpoint(0xFFFFFF, 1, S68000_WATCH_READ), 0);
    EXPECT_EQ(s68000watchpointCount(), S68000_MAX_WATCHPOINTS - 1);
}

// SR writes keep the 68000's bits only; a handler that raises an interrupt
// during a debugger's read leaves no cycles behind; inside a slice a
// debugger's accesses and SR writes are refused.
TEST_F(DebuggerSupport, WhatDiffersOutsideASlice) {
    start();
    mem.put16(0x2000, 0x1234);
    EXPECT_EQ(s68000readByte(0xFF002001), 0x34u);  // the top eight address bits are ignored
    EXPECT_EQ(s68000GetContextSize(), static_cast<int>(sizeof(s68000context)));
    set_sr(0xFFFF);
    EXPECT_EQ(ctx().sr, 0xA71F);
    set_sr(0x2000);
    port_action = [] { s68000interrupt(4, -1); };
    const uint32_t odometer = ctx().odometer;
    s68000readWord(PORT);
    EXPECT_EQ(s68000readOdometer(), odometer);
    EXPECT_EQ(cycles_of(1), 44u + 10u);  // the interrupt, then BRA.S at its vector's target
    load({MOVE_W_ABS_D0, 0xF0, 0});
    uint32_t seen = 0;
    port_action = [&] {
        seen = s68000readWord(0x2000);
        s68000writeWord(0x2000, 0);
        s68000setSR(0x0000);
    };
    s68000exec(1);
    EXPECT_EQ(seen, 0xFFFFu);
    EXPECT_EQ(mem.get16(0x2000), 0x1234);
    EXPECT_EQ(ctx().sr & 0x2000, 0x2000);
}

}  // namespace

namespace {

std::vector<S68000Flow> flows;
void record_flow(const S68000Flow& flow) { flows.push_back(flow); }

}  // namespace

// The flow hook hears of an interrupt, JSR, BSR, RTS, TRAP and RTE as they
// run, with the odometer then, also while a breakpoint's check fills the
// dispatch table and after it is taken away; unset, it hears nothing.
TEST_F(DebuggerSupport, FlowHookHearsCallsReturnsAndExceptions) {
    start();
    set_sr(0x2000);
    code().w({0x4EB9, 0x0000, 0x1100})  // JSR $1100.L
        .w({0x6100, 0x01F8})            // BSR.W $1200
        .w(0x4E40)                      // TRAP #0
        .w(0x60FE);                     // BRA.S *
    code(0x1100).w(0x4E75);             // RTS
    code(0x1200).w(0x4E75);
    code(vector_target(32)).w(RTE);
    code(vector_target(28)).w(RTE);
    ASSERT_EQ(s68000setBreakpoint(0x3000), 0);
    s68000setFlowHook(record_flow);
    s68000interrupt(4, -1);
    const uint32_t t = s68000readOdometer();
    s68000exec(180);
    using K = S68000FlowKind;
    const std::vector<S68000Flow> expected = {
        {K::Exception, 28, 4, CODE, vector_target(28), RESET_SSP - 6, t},
        {K::ExceptionReturn, 0, 0, 0, CODE, RESET_SSP, t + 44 + 20},
        {K::Call, 0, 0, 0x1006, 0x1100, RESET_SSP - 4, t + 84},
        {K::Return, 0, 0, 0, 0x1006, RESET_SSP, t + 100},
        {K::Call, 0, 0, 0x100A, 0x1200, RESET_SSP - 4, t + 118},
        {K::Return, 0, 0, 0, 0x100A, RESET_SSP, t + 134},
        {K::Exception, 32, 0, 0x100C, vector_target(32), RESET_SSP - 6, t + 134},
        {K::ExceptionReturn, 0, 0, 0, 0x100C, RESET_SSP, t + 134 + 34 + 20},
    };
    EXPECT_TRUE(flows == expected) << flows.size() << " events";
    // The breakpoint's check taken away, the table it kept still reports.
    s68000clearBreakpoints();
    flows.clear();
    ctx().pc = CODE;
    s68000exec(20);
    ASSERT_EQ(flows.size(), 1u);
    EXPECT_EQ(flows[0].to, 0x1100u);
    s68000setFlowHook(nullptr);
    flows.clear();
    ctx().pc = CODE;
    s68000exec(100);
    EXPECT_TRUE(flows.empty());
}
