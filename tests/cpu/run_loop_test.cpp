// One slice (or one flush) from a known state, against what it must give:
// budgets, exit codes and the odometer; interrupt requests, the mask, STOP
// and the faulted state; trace and privilege violations, which the outside
// suite (all supervisor mode, no tracing) does not reach; and the decoding
// particulars of this core that it leaves open.
#include <climits>
#include <utility>

#include "core_fixture.h"

namespace {

using namespace coretest;

constexpr uint16_t ADDQ_L_1_D0 = 0x5280;  // 8 cycles
constexpr uint16_t STOP = 0x4E72;
constexpr int32_t FLUSH = -12345;         // a budget that means s68000flushInterrupts
constexpr uint32_t FAULTED = S68000_EXIT_FAULTED;
constexpr uint32_t NOWHERE = 0x30000;     // in no region

class RunLoop : public CoreTest {};

TEST_F(RunLoop, OneSliceFromAKnownState) {
    struct Case {
        const char* what;
        std::vector<uint16_t> program;  // at CODE, followed by NOPs
        uint16_t sr;
        std::vector<std::pair<int, int>> requests;  // s68000interrupt before the slice
        int32_t budget;
        uint32_t exit, cycles, pc;
        uint32_t pushed_pc;  // 0: no frame to check
        uint8_t pending;     // interrupts[0] afterwards
        unsigned mask;
        std::function<void()> setup = {};  // registers, memory, port_action
        uint16_t pushed_sr = 0;            // 0: the SR before, when pushed_pc is checked
        uint32_t d0 = 0;
        uint8_t ccr = 0xFF;  // 0xFF: not checked
    };
    const std::vector<uint16_t> addqs(20, ADDQ_L_1_D0), to_port = {MOVE_W_D0_ABS, 0xF0, 0};
    auto from_handler = [](int level, int vector) {
        return [=] { port_action = [=] { s68000interrupt(level, vector); }; };
    };
    auto stopped = [this] { ctx().interrupts[0] |= 1, ctx().pc = CODE + 4; };
    auto vector_33_nowhere = [this] { mem.put32(33 * 4, NOWHERE); };
    auto faulted = [this] {
        mem.put32(4, CODE + 1);
        EXPECT_EQ(s68000reset(), -1);
    };
    auto short_vectors = [] {  // the region at 0 ends before the initial PC's last byte
        static Image low(0, 6);
        static std::vector<program_region> list{s68000_program(0, 6, low.host()), s68000_program_end()};
        _s68000context.s_fetch = list.data();
        EXPECT_EQ(s68000reset(), 1);
    };
    auto registers = [this](uint32_t d0, uint32_t d1) {
        return [=, this] { ctx().dreg[0] = d0, ctx().dreg[1] = d1, ctx().areg[0] = 0x12345680; };
    };
    const Case cases[] = {
        {"RESET runs its handler once, then a read's: each sees the PC past its words", {0x4E70, MOVE_W_ABS_D0, 0xF0, 0},
         0x2700, {}, 133, OK, 132 + 16, CODE + 8, 0, 0, 7,
         [this] {
             ctx().resethandler = [] { _s68000context.dreg[0] += s68000readPC() << 16; };
             port_reply = [](uint32_t) { return s68000readPC(); };
         },
         0, (CODE + 2) << 16 | (CODE + 8)},
        // Budgets and exits.
        {"a budget of 1 runs one instruction", {0x7001, 0x7202}, 0x2700, {}, 1, OK, 4, CODE + 2, 0, 0, 7, {}, 0, 1},
        {"the instruction reaching the budget ends it", addqs, 0x2700, {}, 100, OK, 104, CODE + 26, 0, 0, 7, {}, 0, 13},
        {"a budget of 0 runs one instruction", addqs, 0x2700, {}, 0, OK, 8, CODE + 2, 0, 0, 7, {}, 0, 1},
        {"so does a negative budget", addqs, 0x2700, {}, -100, OK, 8, CODE + 2, 0, 0, 7, {}, 0, 1},
        {"and the most negative", addqs, 0x2700, {}, INT_MIN, OK, 8, CODE + 2, 0, 0, 7, {}, 0, 1},
        {"a PC in no program region", {}, 0x2700, {}, 100, NO_REGION, 0, NOWHERE, 0, 0, 7, [&] { ctx().pc = NOWHERE; }},
        {"a jump out of every region ends the slice", {NOP, 0x4EF9, 3, 0}, 0x2700, {}, 1000, OK, 16, NOWHERE, 0, 0, 7},
        {"so does an exception vector", {0x4E40}, 0x2700, {}, 1000, OK, 34, NOWHERE, CODE + 2, 0, 7,
         [&] { mem.put32(32 * 4, NOWHERE); }},
        {"RESET without a handler stops on it", {NOP, 0x4E70}, 0x2700, {}, 1000, CODE + 2, 4, CODE + 2, 0, 0, 7},
        {"a faulted processor runs nothing", {}, 0x2700, {}, 1000, FAULTED, 0, CODE + 1, 0, 1, 7, faulted},
        {"so does one whose vectors are cut short", {}, 0x2700, {}, 1000, FAULTED, 0, 1, 0, 1, 7, short_vectors},
        {"a reset from a handler is refused", to_port, 0x2700, {}, 100, OK, 100, CODE + 6 + 21 * 2, 0, 0, 7,
         [&] { port_action = [] { EXPECT_EQ(s68000reset(), 1); }; }},
        {"release from a handler ends the slice", to_port, 0x2700, {}, 100, OK, 16, CODE + 6, 0, 0, 7,
         [&] { port_action = [] { s68000releaseTimeslice(); }; }},
        // Interrupts.
        {"the highest level above the mask first", {}, 0x2300, {{2, 50}, {5, 40}}, 1, OK, 54, vector_target(40), CODE,
         0x04, 5},
        {"a request not above the mask waits", {}, 0x2300, {{3, 50}}, 1, OK, 4, CODE + 2, 0, 0x08, 3},
        {"level 7 whatever the mask", {}, 0x2700, {{7, 60}}, 1, OK, 44 + 10, vector_target(60), CODE, 0, 7},
        {"the autovector", {}, 0x2000, {{4, -1}}, 1, OK, 44 + 10, vector_target(28), CODE, 0, 4},
        {"the spurious vector", {}, 0x2000, {{6, -2}}, 1, OK, 44 + 10, vector_target(24), CODE, 0, 6},
        {"one request per level: the first stays", {}, 0x2000, {{4, 30}, {4, 31}}, 1, OK, 54, vector_target(30), CODE,
         0, 4},
        {"RTE lowering the mask: the request at once", {RTE}, 0x2700, {{2, 50}}, 1, OK, 20 + 44, vector_target(50),
         CODE + 0x100, 0, 2,
         [&] {
             ctx().areg[7] = RESET_SSP - 6;
             mem.put16(RESET_SSP - 6, 0x2100);
             mem.put32(RESET_SSP - 4, CODE + 0x100);
         },
         0x2100},
        {"from a handler: after the current instruction", to_port, 0x2000, {}, 100, OK, 100, vector_target(45),
         CODE + 6, 0, 3, from_handler(3, 45), 0x2004},
        {"from a handler, masked: the slice goes on", to_port, 0x2700, {}, 100, OK, 100, CODE + 6 + 21 * 2, 0, 0x08, 7,
         from_handler(3, 45)},
        {"STOP idles the budget", {STOP, 0x2000}, 0x2700, {}, 1000, OK, 1000, CODE + 4, 0, 1, 0},
        {"a stopped processor idles", {}, 0x2000, {}, 500, OK, 500, CODE + 4, 0, 1, 0, stopped},
        {"a request ends the STOP", {}, 0x2000, {{3, -1}}, 1, OK, 44 + 10, vector_target(27), CODE + 4, 0, 3, stopped},
        {"a masked request ends the STOP too", {}, 0x2700, {{3, -1}}, 1, OK, 4, CODE + 6, 0, 0x08, 7, stopped},
        {"a request before STOP is taken right after it", {MOVE_W_D0_ABS, 0xF0, 0, STOP, 0x2200}, 0x2700, {}, 1000,
         OK, 1000 + 44, vector_target(40), CODE + 10, 0, 3, from_handler(3, 40), 0x2200},
        {"a request during an interrupt's entry", {MOVE_W_D0_ABS, 0xF0, 0x100}, 0x2000, {}, 200, OK,
         16 + 44 + 44 + 10 * 10, vector_target(60), 0, 0x40, 6,  // level 6's own frame asks again
         [&] {
             code(vector_target(50)).w({0x7A05, 0x60FE});  // MOVEQ #5,D5; BRA.S *
             ctx().areg[7] = PORT + 0x80;                  // the frames go to the port
             port_action = [] {
                 const uint32_t a = port_log.back().address;
                 if (a == PORT + 0x100) s68000interrupt(5, 50);
                 if (a >= PORT + 0x70 && a < PORT + 0x80) s68000interrupt(6, 60);
             };
         }},
        {"a due request into no region at the slice's start", {}, 0x2000, {{3, 33}}, 100, NO_REGION, 44, NOWHERE, CODE,
         0, 3, vector_33_nowhere},
        {"into no region: only the cycles used count", to_port, 0x2000, {}, 1000, NO_REGION, 16 + 44, NOWHERE, 0, 0, 3,
         [&] { vector_33_nowhere(), from_handler(3, 33)(); }},
        {"the same while tracing", to_port, 0xA000, {}, 1000, NO_REGION, 16 + 34 + 44, NOWHERE, 0, 0, 3,
         [&] { vector_33_nowhere(), from_handler(3, 33)(); }},
        {"a faulted processor takes none", {}, 0x2700, {{7, -1}}, 1000, FAULTED, 0, CODE + 1, 0, 0x81, 7, faulted},
        {"a flush takes a due request", {}, 0x201F, {{3, 33}}, FLUSH, 0, 44, NOWHERE, CODE, 0, 3, vector_33_nowhere},
        {"a flush with nothing due", {}, 0x2700, {{3, 33}}, FLUSH, 0, 0, CODE, 0, 0x08, 7},
        {"a flush in a faulted processor", {}, 0x2000, {{7, -1}}, FLUSH, 0, 0, CODE + 1, 0, 0x81, 0, faulted},
        {"a flush during a slice does nothing", to_port, 0x2000, {}, 100, OK, 100, vector_target(45), CODE + 6, 0, 3,
         [&] {
             port_action = [this] {
                 s68000interrupt(3, 45);
                 s68000flushInterrupts();
                 EXPECT_EQ(A(7), RESET_SSP);
             };
         },
         0x2004},
        // Trace: RTE into code with T set runs one instruction, then the trace routine.
        {"trace", {RTE}, 0x2700, {}, 100, OK, 20 + 4 + 34 + 4 + 4 * 10, vector_target(9) + 2, CODE + 0x102, 0, 0,
         [&] {
             ctx().areg[7] = RESET_SSP - 6;
             mem.put16(RESET_SSP - 6, 0xA004);
             mem.put32(RESET_SSP - 4, CODE + 0x100);
             code(CODE + 0x100).w({NOP, NOP});
             code(vector_target(9)).w({0x7201, 0x60FE});  // MOVEQ #1,D1; BRA.S *
         },
         0xA004, 0, 0x00},
        // Privileged instructions in user mode push their own address.
        {"MOVE to SR", {0x46FC, 0x2700}, 0x0000, {}, 1, OK, 34, vector_target(8), CODE, 0, 0},
        {"ANDI to SR", {0x027C, 0xFFFF}, 0x0000, {}, 1, OK, 34, vector_target(8), CODE, 0, 0},
        {"ORI to SR", {0x007C, 0x0000}, 0x0000, {}, 1, OK, 34, vector_target(8), CODE, 0, 0},
        {"EORI to SR", {0x0A7C, 0x0000}, 0x0000, {}, 1, OK, 34, vector_target(8), CODE, 0, 0},
        {"STOP", {STOP, 0x2000}, 0x0000, {}, 1, OK, 34, vector_target(8), CODE, 0, 0},
        {"RTE", {RTE}, 0x0000, {}, 1, OK, 34, vector_target(8), CODE, 0, 0},
        {"RESET", {0x4E70}, 0x0000, {}, 1, OK, 34, vector_target(8), CODE, 0, 0},
        {"MOVE A0,USP", {0x4E60}, 0x0000, {}, 1, OK, 34, vector_target(8), CODE, 0, 0},
        {"MOVE USP,A7", {0x4E6F}, 0x0000, {}, 1, OK, 34, vector_target(8), CODE, 0, 0},
        // Decoding particulars (N Z C set before).
        {"MOVE.B A0,D0: A0's low byte", {0x1008}, 0x270D, {}, 1, OK, 4, CODE + 2, 0, 0, 7, registers(~0u, 0), 0,
         0xFFFFFF80, 0x08},
        {"BTST #3,#$08: 8 + 4 cycles", {0x083C, 3, 8}, 0x270D, {}, 1, OK, 12, CODE + 6, 0, 0, 7, {}, 0, 0, 0x09},
        {"BTST #2,#$08", {0x083C, 2, 8}, 0x270D, {}, 1, OK, 12, CODE + 6, 0, 0, 7, {}, 0, 0, 0x0D},
        {"BTST #11,#$08: modulo 8", {0x083C, 11, 8}, 0x270D, {}, 1, OK, 12, CODE + 6, 0, 0, 7, {}, 0, 0, 0x09},
        {"BTST D1,#$08: 4 + 4", {0x033C, 8}, 0x270D, {}, 1, OK, 8, CODE + 4, 0, 0, 7, registers(0, 3), 0, 0, 0x09},
        {"ASR.B D1,D0 by 9 of $81: C and X the sign", {0xE220}, 0x2700, {}, 1, OK, 6 + 2 * 9, CODE + 2, 0, 0, 7,
         registers(0x81, 9), 0, 0xFF, 0x19},
        {"BRA.S -1: no 32-bit displacement", {0x60FF}, 0x270D, {}, 1, OK, 10, CODE + 1, 0, 0, 7, {}, 0, 0, 0x0D},
        {"DIVS of 0x80000000 by -1 overflows", {0x81C1}, 0x270D, {}, 1, OK, 150, CODE + 2, 0, 0, 7,
         registers(0x80000000, 0xFFFF), 0, 0x80000000, 0x02},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clear();
        start();
        Asm a = code();
        a.w(c.program);
        for (int i = 0; i < 30; ++i) a.w(NOP);
        if (c.setup) c.setup();
        ctx().asp = 0x9000;
        set_sr(c.sr);
        for (auto [level, vector] : c.requests) s68000interrupt(level, vector);
        uint32_t exit = 0;
        const uint32_t before = s68000readOdometer();
        if (c.budget == FLUSH) s68000flushInterrupts();
        else exit = s68000exec(c.budget);
        EXPECT_EQ(s68000readOdometer() - before, c.cycles);
        EXPECT_EQ(ctx().odometer, s68000readOdometer());
        EXPECT_EQ(exit, c.exit);
        EXPECT_EQ(ctx().pc, c.pc);
        if (c.pushed_pc) EXPECT_EQ(frame_pc(), c.pushed_pc);
        if (c.pushed_pc) EXPECT_EQ(frame_sr(), c.pushed_sr ? c.pushed_sr : c.sr);
        EXPECT_EQ(ctx().interrupts[0], c.pending);
        EXPECT_EQ((ctx().sr >> 8) & 7, c.mask);
        EXPECT_EQ(D(0), c.d0);
        if (c.ccr != 0xFF) EXPECT_EQ(ctx().sr & 0x1F, c.ccr);
        EXPECT_EQ(ctx().asp, 0x9000u);
    }
}

TEST_F(RunLoop, BadRequestsChangeNothing) {
    start();
    EXPECT_EQ(s68000interrupt(2, 99), 0);
    EXPECT_EQ(s68000interrupt(2, 98), 1);
    uint8_t before[8];
    std::memcpy(before, ctx().interrupts, 8);
    for (auto [level, vector] : {std::pair{0, 30}, {8, 30}, {-1, 30}, {3, 256}, {3, -3}}) {
        EXPECT_EQ(s68000interrupt(level, vector), 2) << level << ", " << vector;
        EXPECT_EQ(std::memcmp(ctx().interrupts, before, 8), 0);
    }
    load({NOP, NOP, NOP, NOP, NOP, NOP});
    s68000releaseTimeslice();  // outside a slice: nothing
    EXPECT_EQ(cycles_of(20), 20u);
}

// A slice of 100 cycles over NOP, NOP, MOVE.W D0,port, NOPs: the port is
// written when 8 cycles are used, and the handler sees the PC past its words.
TEST_F(RunLoop, OdometerReadAndTrippedFromAHandler) {
    struct Case {
        std::function<uint32_t()> first, second;
        uint32_t seen_first, seen_second, odometer;
    };
    const Case cases[] = {
        {s68000readOdometer, [] { return s68000controlOdometer(0); }, 1008, 1008, 1100},
        {s68000tripOdometer, s68000readOdometer, 1008, 0, 92},
        {[] { return s68000controlOdometer(1); }, [] { return s68000controlOdometer(0); }, 1008, 0, 92},
    };
    for (const Case& c : cases) {
        start();
        Asm a = code();
        a.w({NOP, NOP, MOVE_W_D0_ABS}).l(PORT);
        for (int i = 0; i < 30; ++i) a.w(NOP);
        ctx().odometer = 1000;
        std::vector<uint32_t> seen;
        port_action = [&] { seen = {c.first(), c.second(), s68000readPC()}; };
        EXPECT_EQ(s68000exec(100), OK);
        EXPECT_EQ(seen, (std::vector<uint32_t>{c.seen_first, c.seen_second, CODE + 10}));
        EXPECT_EQ(ctx().odometer, c.odometer);
        EXPECT_EQ(s68000readOdometer(), c.odometer);
    }
    EXPECT_EQ(s68000tripOdometer(), 92u);  // between slices: the total, then 0
    EXPECT_EQ(s68000readOdometer(), 0u);
}

// The largest budgets keep exact accounting when a slice set aside for
// tracing or by a request is cancelled or released.
TEST_F(RunLoop, LargestBudgetsWithEarlyEnds) {
    start();
    code().w({NOP, MOVE_W_D0_ABS}).l(PORT).w(NOP);
    mem.put32(9 * 4, NOWHERE);  // trace vector into no region
    set_sr(0xA700);
    EXPECT_EQ(cycles_of(INT_MAX), 4u + 34u);
    EXPECT_EQ(ctx().pc, NOWHERE);
    ctx().sr = 0x2700;
    for (bool release_first : {false, true}) {
        ctx().pc = CODE + 2;
        port_action = [=] {
            if (release_first) s68000releaseTimeslice();
            s68000interrupt(3, -1);
            if (!release_first) s68000releaseTimeslice();
        };
        EXPECT_EQ(cycles_of(INT_MAX), 16u);
        ctx().interrupts[0] = 0;
    }
    set_sr(0xA000);  // tracing, with the mask low enough for the request
    ctx().pc = CODE + 2;
    EXPECT_EQ(cycles_of(INT_MAX), 16u + 34u + 44u);
}

}  // namespace
