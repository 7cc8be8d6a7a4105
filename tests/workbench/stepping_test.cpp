// Run to an address on the demo stops at a breakpoint on the way. (Step over
// and out through the controller are the controller's tests'.)
#include <gtest/gtest.h>

#include "board_session.h"
#include "cpu_control.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace {

using namespace workbench;

uint16_t opcodeAtPc() { return static_cast<uint16_t>(s68000fetch(_s68000context.pc)); }

// Steps until the PC is at a call (JSR or BSR), at most `limit` instructions.
bool stepToCall(int limit) {
    int32_t used = 0;
    for (int i = 0; i < limit; ++i) {
        const uint16_t op = opcodeAtPc();
        if (isCall(op) && (op & 0xFFF0) != 0x4E40) return true;
        Goal step = planGoal(GoalKind::Step);
        if (runToward(step, 1, used) != RunEnd::Reached) return false;
    }
    return false;
}

TEST(WorkbenchStepping, RunToStopsAtABreakpointOnTheWay) {
    ASSERT_TRUE(e2e::startBoard(DEMO_ROM_BASE));
    e2e::powerOn(false);
    e2e::runFrame();
    ASSERT_TRUE(stepToCall(5000));
    const uint32_t after = _s68000context.pc + disassembleAt(_s68000context.pc).length;
    Goal into = planGoal(GoalKind::Step);
    int32_t used = 0;
    runToward(into, 1, used);
    const uint32_t inside = _s68000context.pc;  // the routine's first instruction
    Goal step = planGoal(GoalKind::Step);
    runToward(step, 1, used);
    ASSERT_EQ(s68000setBreakpoint(after), 0);
    Goal to = planGoal(GoalKind::ToAddress, inside + 0x100000);  // never reached
    EXPECT_EQ(runToward(to, 2000000, used), RunEnd::Breakpoint);
    EXPECT_EQ(_s68000context.pc, after);
    s68000clearBreakpoints();
}

}  // namespace
