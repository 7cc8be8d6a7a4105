// What the core gives a debugger: breakpoints checked by the run loop,
// watchpoints through watching copies of the region lists, and data accesses
// and SR writes from outside a slice.
#include "core_fixture.h"
#include "dispatch_table.h"

namespace {

using namespace coretest;

class DebuggerSupport : public CoreTest {
protected:
    void TearDown() override {
        s68000disarmWatchpoints(), s68000clearWatchpoints(), s68000clearBreakpoints(), s68000takeBreakpointStop();
        uint32_t a;
        int k;
        s68000takeWatchHit(&a, &k);
        CoreTest::TearDown();
    }
    // What the last slice did: its exit code, its cycles, the PC, D2.
    struct Slice {
        uint32_t exit, cycles, pc, d2;
        bool stop;  // s68000takeBreakpointStop
        bool operator==(const Slice&) const = default;
    };
    Slice slice(int32_t budget) {
        Slice s{};
        s.cycles = cycles_of(budget, &s.exit);
        return s.pc = ctx().pc, s.d2 = D(2), s.stop = s68000takeBreakpointStop(), s;
    }
};

// 0x1000: MOVEQ #1,D0; 0x1002: MOVEQ #2,D1; 0x1004: ADDQ.L #1,D2; 0x1006: BRA.S 0x1004
TEST_F(DebuggerSupport, BreakpointsStopSlicesBeforeTheirInstruction) {
    start();
    load({0x7001, 0x7202, 0x5282, 0x60FC});
    const m68k::Handler addq = m68k::jmptbl[0x5282];
    ASSERT_EQ(s68000setBreakpoint(0x1004), 0);
    EXPECT_EQ(slice(1000), (Slice{0x1004, 8, 0x1004, 0, true}));  // the two MOVEQs only
    EXPECT_FALSE(s68000takeBreakpointStop());                      // told once
    EXPECT_EQ(slice(1000), (Slice{0x1004, 0, 0x1004, 0, true}));  // not stepped over: at once
    s68000stepOverBreakpoint(0x1004);
    EXPECT_EQ(slice(1000), (Slice{0x1004, 18, 0x1004, 1, true}));  // ADDQ.L 8, BRA.S 10
    s68000stepOverBreakpoint(0x1004);
    EXPECT_EQ(slice(1), (Slice{S68000_EXIT_OK, 8, 0x1006, 2, false}));  // single steps too
    EXPECT_EQ(slice(1), (Slice{S68000_EXIT_OK, 10, 0x1004, 2, false}));
    EXPECT_EQ(slice(1), (Slice{0x1004, 0, 0x1004, 2, true}));
    ctx().pc = 0x1000;
    s68000stepOverBreakpoint(0x1004);  // applies to the first instruction only
    EXPECT_EQ(slice(1000), (Slice{0x1004, 8, 0x1004, 2, true}));

    s68000setBreakpoint(0xFF001006);  // 24-bit addresses
    s68000init();                     // rebuilds the table without the check
    EXPECT_EQ(s68000setBreakpoint(0x1006), 0);  // already set, and the check is back
    EXPECT_EQ(s68000breakpointCount(), 2);
    s68000stepOverBreakpoint(0x1004);
    EXPECT_EQ(slice(1000), (Slice{0x1006, 8, 0x1006, 3, true}));
    EXPECT_EQ(s68000clearBreakpoint(0x1004), 0);
    EXPECT_EQ(s68000clearBreakpoint(0x1004), 1);  // none there any more
    EXPECT_EQ(s68000clearBreakpoint(0x1006), 0);
    EXPECT_EQ(m68k::jmptbl[0x5282], addq);  // none left: the table is the instructions again
    EXPECT_EQ(slice(1000).exit, S68000_EXIT_OK);
    EXPECT_GT(D(2), 50u);
}

TEST_F(DebuggerSupport, BreakpointsNearARegionsEndAndRefusals) {
    // The last instructions of the region run from a copy of their words.
    start(0xFFF8);
    Asm(mem, 0xFFF8).w({0x7001, 0x7202, 0x7403, 0x60FC});
    s68000setBreakpoint(0xFFFC);
    EXPECT_EQ(slice(1000), (Slice{0xFFFC, 8, 0xFFFC, 0, true}));
    s68000stepOverBreakpoint(0xFFFC);
    EXPECT_EQ(slice(1000), (Slice{0xFFFC, 14, 0xFFFC, 3, true}));
    // RESET without a handler is no breakpoint stop.
    load({0x4E70});
    EXPECT_EQ(slice(1000), (Slice{CODE, 0, CODE, 3, false}));
    for (uint32_t i = 1; i < S68000_MAX_BREAKPOINTS; ++i) ASSERT_EQ(s68000setBreakpoint(0x100 + 2 * i), 0);
    EXPECT_EQ(s68000setBreakpoint(0x102), 0);  // already there
    EXPECT_EQ(s68000setBreakpoint(0x9000), 1);
    EXPECT_EQ(s68000breakpointCount(), S68000_MAX_BREAKPOINTS);
}

constexpr uint32_t RAM = 0x100000;
constexpr uint32_t HREG = 0x200000;

class Watching : public DebuggerSupport {
protected:
    Image ram{RAM, RAM + 0xFF};
    void build() {
        start(CODE, [&](Lists& l) {
            l.data(ram);
            l.ports(HREG, HREG + 0xFF);
        });
    }
    bool host_lists_installed() {
        const s68000context& c = ctx();
        return c.readbyte == super.readbyte.data() && c.readword == super.readword.data() &&
               c.writebyte == super.writebyte.data() && c.writeword == super.writeword.data() &&
               c.s_readbyte == super.readbyte.data() && c.s_writeword == super.writeword.data() &&
               c.u_readword == user.readword.data() && c.u_writebyte == user.writebyte.data();
    }
};

// Each case: one watchpoint, one instruction, then MOVEQ #5,D7 that runs
// only when nothing was seen.
TEST_F(Watching, AWatchedAccessEndsTheSliceAfterItsInstruction) {
    struct Case {
        const char* what;
        uint16_t op;
        uint32_t operand, watched, length;
        int kinds;
        bool hit;
        uint32_t reported;
    };
    const int RW = S68000_WATCH_READ | S68000_WATCH_WRITE;
    const Case cases[] = {
        {"a watched write", MOVE_W_D0_ABS, RAM + 0x10, RAM + 0x10, 2, S68000_WATCH_WRITE, true, RAM + 0x10},
        {"a read is not a write", MOVE_W_ABS_D0, RAM + 0x10, RAM + 0x10, 2, S68000_WATCH_WRITE, false, 0},
        {"a write is not a read", MOVE_W_D0_ABS, RAM + 0x10, RAM + 0x10, 2, S68000_WATCH_READ, false, 0},
        {"a long's lower half: the watched byte", MOVE_L_ABS_D0, RAM + 0x0E, RAM + 0x11, 1, RW, true, RAM + 0x11},
        {"a word at an odd address covers its word", MOVE_W_ABS_D0, RAM + 0x13, RAM + 0x12, 1, S68000_WATCH_READ,
         true, RAM + 0x12},
        {"the last byte of a watch", MOVE_B_D0_ABS, RAM + 0x23, RAM + 0x20, 4, S68000_WATCH_WRITE, true, RAM + 0x23},
        {"a byte beside it", MOVE_B_D0_ABS, RAM + 0x24, RAM + 0x20, 4, S68000_WATCH_WRITE, false, 0},
        {"a handler region", MOVE_B_D0_ABS, HREG + 0x31, HREG, 0x100, RW, true, HREG + 0x31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        build();
        code().w(c.op).l(c.operand).w(0x7E05);
        ctx().dreg[7] = 0;
        ASSERT_EQ(s68000setWatchpoint(c.watched, c.length, c.kinds), 0);
        s68000armWatchpoints();
        EXPECT_EQ(s68000exec(1000), S68000_EXIT_OK);
        s68000disarmWatchpoints();
        EXPECT_TRUE(host_lists_installed());
        uint32_t address = 0;
        int kinds = 0;
        EXPECT_EQ(s68000takeWatchHit(&address, &kinds), c.hit);
        EXPECT_EQ(D(7), c.hit ? 0u : 5u);
        if (c.hit) EXPECT_EQ(address, c.reported);
        if (c.hit) EXPECT_EQ(kinds, c.kinds);  // the watchpoint's kinds
        EXPECT_FALSE(s68000takeWatchHit(&address, &kinds));
        s68000clearWatchpoints();
    }
    s68000setWatchpoint(RAM + 0x10, 2, S68000_WATCH_WRITE);  // set, but not armed: nothing seen
    load({MOVE_W_D0_ABS, 0x10, 0x10});
    s68000exec(1);
    uint32_t address;
    int kinds;
    EXPECT_FALSE(s68000takeWatchHit(&address, &kinds));
}

TEST_F(Watching, ArmingAndDisarmingAndTheirRefusals) {
    static data_region* seen = nullptr;
    build();
    super.readword[1].handler = reinterpret_cast<s68000_handler>(+[](uint32_t, data_region* r) -> uint32_t {
        seen = r;
        return 0;
    });
    set_sr(0x0000);  // user mode: the TRAP switches to supervisor
    load({0x4E40});
    code(vector_target(32)).w(MOVE_W_ABS_D0).l(HREG);
    s68000setWatchpoint(RAM, 4, S68000_WATCH_WRITE);
    s68000setWatchpoint(HREG, 4, S68000_WATCH_READ);
    s68000armWatchpoints();
    data_region* armed = ctx().writeword;
    EXPECT_NE(ctx().readword, user.readword.data());
    s68000exec(40);  // TRAP #0, MOVE.W $200000,D0
    s68000disarmWatchpoints();
    EXPECT_EQ(seen, &super.readword[1]);  // the host's handler is given the host's own record
    EXPECT_TRUE(ctx().sr & 0x2000);
    EXPECT_TRUE(host_lists_installed());
    EXPECT_EQ(ctx().fetch, super.fetch.data());
    s68000clearWatchpoints();
    s68000setWatchpoint(RAM + 8, 2, S68000_WATCH_WRITE);  // wraps the same record: the same copy
    set_sr(0x0000);
    s68000armWatchpoints();
    EXPECT_EQ(ctx().writeword, armed);

    EXPECT_EQ(s68000setWatchpoint(RAM, 0, S68000_WATCH_WRITE), 2);
    EXPECT_EQ(s68000setWatchpoint(0xFFFFFF, 2, S68000_WATCH_WRITE), 2);
    EXPECT_EQ(s68000setWatchpoint(0x1000000, 1, S68000_WATCH_WRITE), 2);
    EXPECT_EQ(s68000setWatchpoint(RAM, 2, 0), 2);
    EXPECT_EQ(s68000setWatchpoint(RAM, 2, 4), 2);
    EXPECT_EQ(s68000setWatchpoint(0xFFFFFF, 1, S68000_WATCH_READ), 0);
    for (uint32_t i = 2; i < S68000_MAX_WATCHPOINTS; ++i) ASSERT_EQ(s68000setWatchpoint(RAM + i, 1, 1), 0);
    EXPECT_EQ(s68000setWatchpoint(RAM + 0x80, 1, S68000_WATCH_READ), 1);
    EXPECT_EQ(s68000clearWatchpoint(RAM + 0x80, 1, S68000_WATCH_READ), 1);
    EXPECT_EQ(s68000clearWatchpoint(0xFFFFFF, 1, S68000_WATCH_READ), 0);
    EXPECT_EQ(s68000watchpointCount(), S68000_MAX_WATCHPOINTS - 1);
}

// Data accesses between slices are checked beside the instructions' in the
// memory tests, and SR writes (the fixture's set_sr) in every mode switch.
TEST_F(DebuggerSupport, WhatDiffersOutsideASlice) {
    start();
    mem.put16(0x2000, 0x1234);
    set_sr(0xFFFF);  // the 68000's bits only
    EXPECT_EQ(ctx().sr, 0xA71F);
    set_sr(0x2000);
    port_action = [] { s68000interrupt(4, -1); };  // during a debugger's read: no cycles left behind
    const uint32_t odometer = ctx().odometer;
    s68000readWord(PORT);
    EXPECT_EQ(s68000readOdometer(), odometer);
    EXPECT_EQ(cycles_of(1), 44u + 10u);  // the interrupt, then BRA.S at its vector's target
    load({MOVE_W_ABS_D0, 0xF0, 0});      // inside a slice they are refused
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
