// What the core gives a debugger: breakpoints checked by the run loop,
// watchpoints through watching copies of the region lists, and data accesses
// and SR writes from outside a slice.
#include <algorithm>
#include <iterator>
#include <random>

#include "core_fixture.h"
#include "dispatch_table.h"
#include "s68000_debug.h"

namespace {

using namespace coretest;

constexpr uint16_t MOVEQ_1_D0 = 0x7001;
constexpr uint16_t MOVEQ_2_D1 = 0x7202;
constexpr uint16_t MOVEQ_3_D2 = 0x7403;
constexpr uint16_t MOVEQ_5_D7 = 0x7E05;
constexpr uint16_t ADDQ_L_1_D2 = 0x5282;
constexpr uint16_t NOP = 0x4E71;
constexpr uint16_t RESET = 0x4E70;
constexpr uint16_t JMP_ABS_L = 0x4EF9;
constexpr uint16_t TRAP_0 = 0x4E40;
constexpr uint16_t bra_s(uint32_t from, uint32_t to) { return static_cast<uint16_t>(0x6000 | ((to - from - 2) & 0xFF)); }

class DebuggerSupport : public CoreTest {
protected:
    void TearDown() override {
        s68000disarmWatchpoints();
        s68000clearWatchpoints();
        s68000clearBreakpoints();
        s68000takeBreakpointStop();
        uint32_t a;
        int k;
        s68000takeWatchHit(&a, &k);
        CoreTest::TearDown();
    }
    // 0x1000: MOVEQ #1,D0; 0x1002: MOVEQ #2,D1; 0x1004: ADDQ.L #1,D2; 0x1006: BRA.S 0x1004
    void counting_loop() {
        start();
        code().w(MOVEQ_1_D0).w(MOVEQ_2_D1).w(ADDQ_L_1_D2).w(bra_s(0x1006, 0x1004));
    }
};

// ---- Breakpoints ----

TEST_F(DebuggerSupport, ASliceStopsBeforeTheInstructionAtABreakpoint) {
    counting_loop();
    ASSERT_EQ(s68000setBreakpoint(0x1004), 0);
    uint32_t code = 0;
    EXPECT_EQ(cycles_of(1000, &code), 8u);  // the two MOVEQs only
    EXPECT_EQ(code, 0x1004u);
    EXPECT_EQ(ctx().pc, 0x1004u);
    EXPECT_EQ(D(0), 1u);
    EXPECT_EQ(D(1), 2u);
    EXPECT_EQ(D(2), 0u);
    EXPECT_TRUE(s68000takeBreakpointStop());
    EXPECT_FALSE(s68000takeBreakpointStop());  // told once

    // Without stepping over, the next slice stops at once.
    EXPECT_EQ(cycles_of(1000, &code), 0u);
    EXPECT_EQ(code, 0x1004u);
    EXPECT_EQ(D(2), 0u);
}

TEST_F(DebuggerSupport, ResumingStepsOverTheBreakpointOnceAndStopsThereNextTime) {
    counting_loop();
    s68000setBreakpoint(0x1004);
    s68000exec(1000);
    ASSERT_TRUE(s68000takeBreakpointStop());
    s68000stepOverBreakpoint(0x1004);
    uint32_t code = 0;
    EXPECT_EQ(cycles_of(1000, &code), 18u);  // ADDQ.L 8, BRA.S 10
    EXPECT_EQ(code, 0x1004u);
    EXPECT_EQ(D(2), 1u);
    EXPECT_TRUE(s68000takeBreakpointStop());
}

TEST_F(DebuggerSupport, SteppingOverAppliesOnlyToTheFirstInstructionDispatched) {
    counting_loop();
    s68000setBreakpoint(0x1004);
    s68000stepOverBreakpoint(0x1004);  // but the slice begins at 0x1000
    uint32_t code = 0;
    cycles_of(1000, &code);
    EXPECT_EQ(code, 0x1004u);
    EXPECT_EQ(D(2), 0u);
}

TEST_F(DebuggerSupport, SingleStepsStopAtABreakpointToo) {
    counting_loop();
    s68000setBreakpoint(0x1002);
    EXPECT_EQ(s68000exec(1), S68000_EXIT_OK);
    EXPECT_FALSE(s68000takeBreakpointStop());
    EXPECT_EQ(s68000exec(1), 0x1002u);
    EXPECT_TRUE(s68000takeBreakpointStop());
    s68000stepOverBreakpoint(0x1002);
    EXPECT_EQ(s68000exec(1), S68000_EXIT_OK);
    EXPECT_EQ(D(1), 2u);
}

TEST_F(DebuggerSupport, TheLastBreakpointGoneTheTableIsTheInstructionsAgain) {
    counting_loop();
    std::vector<m68k::Handler> before(std::begin(m68k::jmptbl), std::end(m68k::jmptbl));
    s68000setBreakpoint(0x1004);
    s68000setBreakpoint(0x1006);
    EXPECT_NE(m68k::jmptbl[ADDQ_L_1_D2], before[ADDQ_L_1_D2]);
    EXPECT_EQ(s68000clearBreakpoint(0x1004), 0);
    EXPECT_EQ(s68000breakpointCount(), 1);
    EXPECT_EQ(s68000clearBreakpoint(0x1004), 1);  // none there any more
    EXPECT_EQ(s68000clearBreakpoint(0x1006), 0);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), std::begin(m68k::jmptbl)));
    uint32_t code = 0;
    cycles_of(1000, &code);
    EXPECT_EQ(code, S68000_EXIT_OK);
    EXPECT_GT(D(2), 50u);
}

TEST_F(DebuggerSupport, BreakpointsCompareTwentyFourBitAddresses) {
    start();
    code().w(JMP_ABS_L).l(0xFF002000);
    Asm(mem, 0x2000).w(NOP).w(bra_s(0x2002, 0x2000));
    s68000setBreakpoint(0x01002000);  // the same 24-bit address
    uint32_t code = 0;
    cycles_of(1000, &code);
    EXPECT_EQ(code, 0x2000u);
    EXPECT_TRUE(s68000takeBreakpointStop());
}

TEST_F(DebuggerSupport, BreakpointNearTheEndOfAProgramRegion) {
    // The last instructions of the region run from a copy of their words.
    start(0xFFF8);
    Asm(mem, 0xFFF8).w(MOVEQ_1_D0).w(MOVEQ_2_D1).w(MOVEQ_3_D2).w(bra_s(0xFFFE, 0xFFFC));
    s68000setBreakpoint(0xFFFC);
    uint32_t code = 0;
    cycles_of(1000, &code);
    EXPECT_EQ(code, 0xFFFCu);
    EXPECT_EQ(ctx().pc, 0xFFFCu);
    EXPECT_EQ(D(1), 2u);
    EXPECT_EQ(D(2), 0u);
    s68000stepOverBreakpoint(0xFFFC);
    cycles_of(1000, &code);
    EXPECT_EQ(code, 0xFFFCu);
    EXPECT_EQ(D(2), 3u);
}

TEST_F(DebuggerSupport, ResetWithoutAHandlerIsNoBreakpointStop) {
    start();
    code().w(RESET);
    s68000setBreakpoint(0x3000);
    uint32_t code = 0;
    cycles_of(1000, &code);
    EXPECT_EQ(code, CODE);
    EXPECT_FALSE(s68000takeBreakpointStop());
}

TEST_F(DebuggerSupport, TheBreakpointTableHoldsSixtyFour) {
    for (uint32_t i = 0; i < S68000_MAX_BREAKPOINTS; ++i) ASSERT_EQ(s68000setBreakpoint(0x100 + 2 * i), 0);
    EXPECT_EQ(s68000setBreakpoint(0x100), 0);  // already there
    EXPECT_EQ(s68000setBreakpoint(0x9000), 1);
    EXPECT_EQ(s68000breakpointCount(), S68000_MAX_BREAKPOINTS);
}

TEST_F(DebuggerSupport, ABreakpointSetAfterTheTableWasRebuiltIsChecked) {
    counting_loop();
    s68000setBreakpoint(0x1006);
    s68000init();  // rebuilds the table without the check
    s68000setBreakpoint(0x1004);
    uint32_t code = 0;
    cycles_of(1000, &code);
    EXPECT_EQ(code, 0x1004u);
}

// ---- Watchpoints ----

constexpr uint32_t RAM = 0x100000;
constexpr uint32_t HREG = 0x200000;

class Watching : public DebuggerSupport {
protected:
    Image ram{RAM, RAM + 0xFF};
    void build() {
        start(CODE, [&](Lists& l) {
            l.data(ram);
            l.readers(HREG, HREG + 0xFF, port_read);
            l.writers(HREG, HREG + 0xFF, port_write);
        });
    }
    // One slice with the watchpoints armed.
    uint32_t armed_slice(int32_t budget) {
        s68000armWatchpoints();
        const uint32_t code = s68000exec(budget);
        s68000disarmWatchpoints();
        return code;
    }
    bool host_lists_installed() {
        const s68000context& c = ctx();
        return c.readbyte == super.readbyte.data() && c.readword == super.readword.data() &&
               c.writebyte == super.writebyte.data() && c.writeword == super.writeword.data() &&
               c.s_readbyte == super.readbyte.data() && c.s_writeword == super.writeword.data() &&
               c.u_readword == user.readword.data() && c.u_writebyte == user.writebyte.data();
    }
};

TEST_F(Watching, AWatchedWriteEndsTheSliceAfterItsInstruction) {
    build();
    code().w(MOVE_W_D0_ABS).l(RAM + 0x10).w(MOVEQ_5_D7).w(bra_s(0x1008, 0x1008));
    ctx().dreg[0] = 0xBEEF;
    ASSERT_EQ(s68000setWatchpoint(RAM + 0x10, 2, S68000_WATCH_WRITE), 0);
    EXPECT_EQ(armed_slice(1000), S68000_EXIT_OK);
    EXPECT_EQ(ctx().pc, 0x1006u);
    EXPECT_EQ(D(7), 0u);
    EXPECT_EQ(ram.get16(RAM + 0x10), 0xBEEF);
    uint32_t address = 0;
    int kind = 0;
    ASSERT_TRUE(s68000takeWatchHit(&address, &kind));
    EXPECT_EQ(address, RAM + 0x10);
    EXPECT_EQ(kind, S68000_WATCH_WRITE);
    EXPECT_FALSE(s68000takeWatchHit(&address, &kind));
    EXPECT_TRUE(host_lists_installed());
}

TEST_F(Watching, ReadWatchesIgnoreWritesAndWriteWatchesIgnoreReads) {
    build();
    code().w(MOVE_W_D0_ABS).l(RAM + 0x10).w(MOVE_W_ABS_D0).l(RAM + 0x20).w(bra_s(0x100C, 0x100C));
    s68000setWatchpoint(RAM + 0x10, 2, S68000_WATCH_READ);
    s68000setWatchpoint(RAM + 0x20, 2, S68000_WATCH_WRITE);
    armed_slice(100);
    uint32_t address = 0;
    int kind = 0;
    EXPECT_FALSE(s68000takeWatchHit(&address, &kind));
    EXPECT_EQ(ctx().pc, 0x100Cu);
}

TEST_F(Watching, AnAccessWatchSeesBothAndReportsTheWatchedByte) {
    build();
    // A long read at RAM+0x0E touches the watched word at RAM+0x10 with its lower half.
    code().w(MOVE_L_ABS_D0).l(RAM + 0x0E).w(MOVEQ_5_D7);
    ram.put32(RAM + 0x0E, 0x11223344);
    s68000setWatchpoint(RAM + 0x11, 1, S68000_WATCH_READ | S68000_WATCH_WRITE);
    armed_slice(100);
    EXPECT_EQ(D(0), 0x11223344u);
    EXPECT_EQ(D(7), 0u);
    uint32_t address = 0;
    int kind = 0;
    ASSERT_TRUE(s68000takeWatchHit(&address, &kind));
    EXPECT_EQ(address, RAM + 0x11);
    EXPECT_EQ(kind, S68000_WATCH_READ | S68000_WATCH_WRITE);  // the watchpoint's kinds
}

TEST_F(Watching, HandlersSeeTheSameCallsWithTheHostsRecord) {
    static data_region* seen = nullptr;
    build();
    code().w(MOVE_L_D0_ABS).l(HREG + 0x10).w(MOVE_L_ABS_D0).l(HREG + 0x20).w(MOVE_B_D0_ABS).l(HREG + 0x31);
    ctx().dreg[0] = 0x12345678;
    port_value = 0xABCD;
    s68000setWatchpoint(HREG, 0x100, S68000_WATCH_READ | S68000_WATCH_WRITE);
    s68000armWatchpoints();
    for (int i = 0; i < 3; ++i) s68000exec(1);
    s68000disarmWatchpoints();
    EXPECT_EQ(port_log, (Log{Wr(HREG + 0x10, 0x1234), Wr(HREG + 0x12, 0x5678), R(HREG + 0x20), R(HREG + 0x22),
                             Wr(HREG + 0x31, 0xCD)}));
    EXPECT_EQ(D(0), 0xABCDABCDu);
    // The host's handler is given the host's own record.
    super.readword[1].handler = reinterpret_cast<s68000_handler>(+[](uint32_t, data_region* r) -> uint32_t {
        seen = r;
        return 0;
    });
    code().w(MOVE_W_ABS_D0).l(HREG);
    ctx().pc = CODE;
    s68000armWatchpoints();
    s68000exec(1);
    s68000disarmWatchpoints();
    EXPECT_EQ(seen, &super.readword[1]);
}

TEST_F(Watching, NothingIsNotedWhileDisarmed) {
    build();
    code().w(MOVE_W_D0_ABS).l(RAM + 0x10).w(MOVEQ_5_D7);
    s68000setWatchpoint(RAM + 0x10, 2, S68000_WATCH_WRITE);
    s68000exec(100);
    uint32_t address = 0;
    int kind = 0;
    EXPECT_FALSE(s68000takeWatchHit(&address, &kind));
    EXPECT_EQ(D(7), 5u);
}

TEST_F(Watching, DisarmingGivesBackTheHostsListsAfterTheSliceChangedMode) {
    build();
    set_sr(0x0000);  // user mode: the TRAP switches to supervisor
    code().w(TRAP_0);
    s68000setWatchpoint(RAM, 4, S68000_WATCH_WRITE);
    s68000armWatchpoints();
    EXPECT_NE(ctx().readword, user.readword.data());
    s68000exec(1);
    s68000disarmWatchpoints();
    EXPECT_TRUE(ctx().sr & 0x2000);
    EXPECT_TRUE(host_lists_installed());
    EXPECT_EQ(ctx().fetch, super.fetch.data());
}

TEST_F(Watching, ArmingTwiceWithTheSameWatchpointsInstallsTheSameLists) {
    build();
    s68000setWatchpoint(RAM, 4, S68000_WATCH_WRITE);
    s68000armWatchpoints();
    data_region* first = ctx().writeword;
    s68000disarmWatchpoints();
    s68000clearWatchpoints();
    s68000setWatchpoint(RAM + 8, 2, S68000_WATCH_WRITE);  // wraps the same record
    s68000armWatchpoints();
    EXPECT_EQ(ctx().writeword, first);
    s68000disarmWatchpoints();
}

TEST_F(Watching, BadRangesAndAFullTable) {
    EXPECT_EQ(s68000setWatchpoint(RAM, 0, S68000_WATCH_WRITE), 2);
    EXPECT_EQ(s68000setWatchpoint(0xFFFFFF, 2, S68000_WATCH_WRITE), 2);
    EXPECT_EQ(s68000setWatchpoint(0x1000000, 1, S68000_WATCH_WRITE), 2);
    EXPECT_EQ(s68000setWatchpoint(RAM, 2, 0), 2);
    EXPECT_EQ(s68000setWatchpoint(RAM, 2, 4), 2);
    EXPECT_EQ(s68000setWatchpoint(0xFFFFFF, 1, S68000_WATCH_READ), 0);
    for (uint32_t i = 1; i < S68000_MAX_WATCHPOINTS; ++i) ASSERT_EQ(s68000setWatchpoint(RAM + i, 1, 1), 0);
    EXPECT_EQ(s68000setWatchpoint(RAM + 0x80, 1, S68000_WATCH_READ), 1);
    EXPECT_EQ(s68000clearWatchpoint(RAM + 0x80, 1, S68000_WATCH_READ), 1);
    EXPECT_EQ(s68000clearWatchpoint(0xFFFFFF, 1, S68000_WATCH_READ), 0);
    EXPECT_EQ(s68000watchpointCount(), S68000_MAX_WATCHPOINTS - 1);
}

// Random accesses of every size and direction near the edges of direct
// regions, regions with odd bounds, overlapping regions and handler regions:
// with watchpoints armed, memory, registers, handler calls and cycles come
// out exactly as without.
class WatchingIsInvisible : public Watching, public ::testing::WithParamInterface<unsigned> {};

TEST_P(WatchingIsInvisible, RandomAccessesRunAsWithoutWatchpoints) {
    Image odd(0x300001, 0x300010, 0x5A);
    Image overlap(RAM + 0x80, RAM + 0x17F, 0xA5);
    Image behind(0x400000, 0x4000FF, 0x3C);
    start(CODE, [&](Lists& l) {
        l.data(ram);
        l.data(overlap);  // the first list order wins over its lower half
        l.data(odd);
        l.readers(0x400000, 0x40000F, port_read);  // a handler ahead of an image
        l.writers(0x400000, 0x40000F, port_write);
        l.data(behind);
        l.readers(HREG, HREG + 0xFF, port_read);
        l.writers(HREG, HREG + 0xFF, port_write);
    });
    port_reply = [](uint32_t a) { return a * 0x9E3779B1u; };

    std::mt19937 random(GetParam());
    const uint32_t edges[] = {RAM, RAM + 0x7E, RAM + 0x80, RAM + 0xFE, RAM + 0x100, RAM + 0x17E,
                              0x300000, 0x300001, 0x30000E, 0x300010, 0x3FFFFE, 0x40000E,
                              0x400010, 0x4000FE, HREG, HREG + 0xFE, 0x2FFFFE, 0x5FFFFE};
    const uint16_t ops[] = {MOVE_B_ABS_D0, MOVE_W_ABS_D0, MOVE_L_ABS_D0, MOVE_B_D0_ABS,
                            MOVE_W_D0_ABS, MOVE_L_D0_ABS, ADDQ_W_1_ABS};
    constexpr int kInstructions = 150;
    Asm a = code();
    for (int i = 0; i < kInstructions; ++i) {
        const uint32_t address = edges[random() % std::size(edges)] + random() % 5 - 2;
        a.w(ops[random() % std::size(ops)]).l(address);
    }
    for (int i = 0; i < 4; ++i) {
        const uint32_t low = edges[random() % std::size(edges)] + random() % 5 - 2;
        s68000setWatchpoint(low, 1 + random() % 6, 1 + random() % 3);
    }

    struct Outcome {
        std::vector<uint8_t> ram, overlap, odd, behind;
        Log log;
        std::vector<uint32_t> d0;
        uint32_t odometer;
    };
    auto run = [&](bool watch) {
        Outcome o;
        ctx().pc = CODE;
        ctx().dreg[0] = 0x89ABCDEF;
        port_log.clear();
        const uint32_t odometer = s68000readOdometer();
        for (int i = 0; i < kInstructions; ++i) {
            if (watch) s68000armWatchpoints();
            s68000exec(1);
            if (watch) s68000disarmWatchpoints();
            o.d0.push_back(D(0));
        }
        o.odometer = s68000readOdometer() - odometer;
        o.ram = ram.snapshot();
        o.overlap = overlap.snapshot();
        o.odd = odd.snapshot();
        o.behind = behind.snapshot();
        o.log = port_log;
        return o;
    };
    const auto images = std::make_tuple(ram.snapshot(), overlap.snapshot(), odd.snapshot(), behind.snapshot());
    const Outcome plain = run(false);
    std::memcpy(ram.host(), std::get<0>(images).data(), ram.size());
    std::memcpy(overlap.host(), std::get<1>(images).data(), overlap.size());
    std::memcpy(odd.host(), std::get<2>(images).data(), odd.size());
    std::memcpy(behind.host(), std::get<3>(images).data(), behind.size());
    const Outcome watched = run(true);

    EXPECT_EQ(watched.ram, plain.ram);
    EXPECT_EQ(watched.overlap, plain.overlap);
    EXPECT_EQ(watched.odd, plain.odd);
    EXPECT_EQ(watched.behind, plain.behind);
    EXPECT_EQ(watched.log, plain.log);
    EXPECT_EQ(watched.d0, plain.d0);
    EXPECT_EQ(watched.odometer, plain.odometer);
    EXPECT_TRUE(host_lists_installed());
}

INSTANTIATE_TEST_SUITE_P(Seeds, WatchingIsInvisible, ::testing::Range(1u, 41u));

// ---- Data accesses and SR from outside a slice ----

TEST_F(DebuggerSupport, DebuggerAccessesGoThroughTheListsAsTheCpusDo) {
    start();
    mem.put16(0x2000, 0x1234);
    EXPECT_EQ(s68000readWord(0x2000), 0x1234u);
    EXPECT_EQ(s68000readByte(0x2001), 0x34u);
    EXPECT_EQ(s68000readWord(0xFF002000), 0x1234u);  // 24-bit bus
    s68000writeByte(0x2001, 0x1AB);
    s68000writeWord(0x2002, 0x15678);
    EXPECT_EQ(mem.get32(0x2000), 0x12AB5678u);

    port_value = 0xABCD1234;
    EXPECT_EQ(s68000readByte(PORT + 3), 0x34u);
    EXPECT_EQ(s68000readWord(PORT + 4), 0x1234u);
    s68000writeByte(PORT + 7, 0x1FF);
    s68000writeWord(PORT + 8, 0x12345);
    EXPECT_EQ(port_log, (Log{R(PORT + 3), R(PORT + 4), Wr(PORT + 7, 0xFF), Wr(PORT + 8, 0x2345)}));

    EXPECT_EQ(s68000readByte(0xE00000), 0xFFu);
    EXPECT_EQ(s68000readWord(0xE00000), 0xFFFFu);
    s68000writeWord(0xE00000, 0);
}

TEST_F(DebuggerSupport, AHandlerThatRaisesAnInterruptDuringADebuggerReadLeavesNoCyclesBehind) {
    start();
    set_sr(0x2000);
    port_action = [] { s68000interrupt(4, -1); };
    const uint32_t odometer = ctx().odometer;
    s68000readWord(PORT);
    EXPECT_EQ(s68000readOdometer(), odometer);
    EXPECT_EQ(ctx().interrupts[0] & 0x10, 0x10);
    EXPECT_EQ(cycles_of(1), 44u + 10u);  // the interrupt, then BRA.S at its vector's target
}

TEST_F(DebuggerSupport, DebuggerAccessesAreRefusedInsideASlice) {
    start();
    code().w(MOVE_W_ABS_D0).l(PORT);
    mem.put16(0x2000, 0x1234);
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

TEST_F(DebuggerSupport, WritingSrSwitchesStacksAndListsAsTheCpuDoes) {
    start();
    ctx().asp = 0x500;
    s68000setSR(0x0004);
    EXPECT_EQ(ctx().sr, 0x0004);
    EXPECT_EQ(A(7), 0x500u);
    EXPECT_EQ(ctx().asp, RESET_SSP);
    EXPECT_EQ(ctx().readword, user.readword.data());
    s68000setSR(0xFFFF);
    EXPECT_EQ(ctx().sr, 0xA71F);
    EXPECT_EQ(A(7), RESET_SSP);
    EXPECT_EQ(ctx().writebyte, super.writebyte.data());
}

}  // namespace
