// Step over and step out on the demo's own calls: over a JSR or BSR the 68000
// stops at the instruction after it with the stack as it was; into the call
// and out again it stops at the same place.
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

TEST(WorkbenchStepping, OverAndOutOfTheDemosCallsReturnWhereTheCallWas) {
    ASSERT_TRUE(e2e::startBoard(DEMO_ROM_BASE));
    e2e::powerOn(false);
    e2e::runFrame();
    constexpr int32_t kBudget = 2000000;  // cycles: far more than any call of the demo
    for (int call = 0; call < 4; ++call) {
        SCOPED_TRACE(call);
        ASSERT_TRUE(stepToCall(5000)) << "no call within 5000 instructions";
        const uint32_t pc = _s68000context.pc, stack = _s68000context.areg[7];
        const uint32_t after = pc + disassembleAt(pc).length;
        int32_t used = 0;

        Goal over = planGoal(GoalKind::Over);
        ASSERT_EQ(runToward(over, kBudget, used), RunEnd::Reached);
        EXPECT_EQ(_s68000context.pc, after);
        EXPECT_EQ(_s68000context.areg[7], stack);
        EXPECT_GT(used, 0);

        // The next call: into it, then out.
        ASSERT_TRUE(stepToCall(5000));
        const uint32_t pc2 = _s68000context.pc, stack2 = _s68000context.areg[7];
        Goal into = planGoal(GoalKind::Step);
        ASSERT_EQ(runToward(into, 1, used), RunEnd::Reached);
        EXPECT_EQ(_s68000context.areg[7], stack2 - 4) << "the call pushed its return address";
        Goal out = planGoal(GoalKind::Out);
        ASSERT_EQ(runToward(out, kBudget, used), RunEnd::Reached);
        EXPECT_EQ(_s68000context.pc, pc2 + disassembleAt(pc2).length);
        EXPECT_EQ(_s68000context.areg[7], stack2);
    }
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
