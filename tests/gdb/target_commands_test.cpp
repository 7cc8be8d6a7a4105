// The commands that touch the board, on a small machine: registers in the
// client's order, memory through the core's data lists (handlers see words
// where the client asks for whole words, bytes elsewhere), and the core's
// breakpoint and watchpoint tables.
#include "commands.h"
#include "core_fixture.h"
#include "s68000_debug.h"
#include "target_commands.h"

namespace {

using namespace coretest;
using gdbstub::parse_command;

std::string reply(const std::string& packet) { return gdbstub::target_reply(parse_command(packet)); }

class TargetCommands : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        start();
    }
    void TearDown() override {
        s68000clearBreakpoints();
        s68000clearWatchpoints();
        CoreTest::TearDown();
    }
};

TEST_F(TargetCommands, RegistersInTheClientsOrder) {
    ctx().dreg[1] = 0x11111111;
    ctx().areg[6] = 0xA6A6A6A6;
    const std::string g = reply("g");
    ASSERT_EQ(g.size(), 18u * 8);
    EXPECT_EQ(g.substr(8, 8), "11111111");        // d1
    EXPECT_EQ(g.substr(14 * 8, 8), "a6a6a6a6");   // a6 (fp)
    EXPECT_EQ(g.substr(15 * 8, 8), "00008000");   // a7 (sp): the reset's SSP
    EXPECT_EQ(g.substr(16 * 8, 8), "00002700");   // sr
    EXPECT_EQ(g.substr(17 * 8, 8), "00001000");   // pc
    EXPECT_EQ(reply("p11"), "00001000");
    EXPECT_EQ(reply("p12"), "E02");
}

TEST_F(TargetCommands, WritingRegisters) {
    EXPECT_EQ(reply("P3=deadbeef"), "OK");
    EXPECT_EQ(D(3), 0xDEADBEEFu);
    EXPECT_EQ(reply("P11=00002000"), "OK");
    EXPECT_EQ(ctx().pc, 0x2000u);
    EXPECT_EQ(reply("P12=00000000"), "E02");

    // All at once, switching to user mode: sp is the user stack pointer, and
    // the supervisor's is kept aside as the CPU keeps it.
    std::string G = "G";
    for (uint32_t n = 0; n < 18; ++n) {
        const uint32_t v = n == 15 ? 0x7000 : n == 16 ? 0x0015 : n == 17 ? 0x1234 : 0x01010101 * n;
        char text[9];
        std::snprintf(text, sizeof text, "%08x", v);
        G += text;
    }
    EXPECT_EQ(reply(G), "OK");
    EXPECT_EQ(D(7), 0x07070707u);
    EXPECT_EQ(A(0), 0x08080808u);
    EXPECT_EQ(A(7), 0x7000u);
    EXPECT_EQ(ctx().asp, RESET_SSP);
    EXPECT_EQ(ctx().sr, 0x0015);
    EXPECT_EQ(ctx().pc, 0x1234u);
    EXPECT_EQ(ctx().readword, user.readword.data());
}

TEST_F(TargetCommands, MemoryThroughTheDataLists) {
    mem.put32(0x2000, 0x0123ABCD);
    EXPECT_EQ(reply("m2000,4"), "0123abcd");
    EXPECT_EQ(reply("m2001,2"), "23ab");
    EXPECT_EQ(reply("M2001,3:a1b2c3"), "OK");
    EXPECT_EQ(mem.get32(0x2000), 0x01A1B2C3u);
    EXPECT_EQ(reply("me00000,3"), "ffffff");  // nothing there
    EXPECT_EQ(reply("Me00000,1:00"), "OK");
}

TEST_F(TargetCommands, HandlersSeeWordsForWholeWordsAndBytesAtTheEnds) {
    port_reply = [](uint32_t a) { return a & 0xFFFF; };
    EXPECT_EQ(reply("mf00003,4"), "03000406");
    EXPECT_EQ(port_log, (Log{R(PORT + 3), R(PORT + 4), R(PORT + 6)}));
    port_log.clear();
    EXPECT_EQ(reply("Mf00011,5:0102030405"), "OK");
    EXPECT_EQ(port_log, (Log{Wr(PORT + 0x11, 0x01), Wr(PORT + 0x12, 0x0203), Wr(PORT + 0x14, 0x0405)}));
}

TEST_F(TargetCommands, BreakpointsAndWatchpointsGoToTheCoresTables) {
    EXPECT_EQ(reply("Z0,1004,2"), "OK");
    EXPECT_EQ(reply("Z1,1008,2"), "OK");
    EXPECT_EQ(s68000breakpointCount(), 2);
    EXPECT_EQ(reply("z0,1004,2"), "OK");
    EXPECT_EQ(reply("z0,1004,2"), "OK");  // already gone: the table is as asked
    EXPECT_EQ(s68000breakpointCount(), 1);

    EXPECT_EQ(reply("Z2,2000,2"), "OK");
    EXPECT_EQ(reply("Z3,2000,2"), "OK");
    EXPECT_EQ(reply("Z4,2000,4"), "OK");
    EXPECT_EQ(reply("Z2,ffffff,2"), "E02");  // past the 24-bit address space
    EXPECT_EQ(reply("Z2,2000,0"), "E02");
    EXPECT_EQ(s68000watchpointCount(), 3);
    EXPECT_EQ(reply("z3,2000,2"), "OK");
    EXPECT_EQ(s68000watchpointCount(), 2);

    for (uint32_t i = 0; i < S68000_MAX_BREAKPOINTS; ++i) s68000setBreakpoint(0x4000 + 2 * i);
    EXPECT_EQ(reply("Z0,9000,2"), "E03");
    for (uint32_t i = 0; i < S68000_MAX_WATCHPOINTS; ++i) s68000setWatchpoint(0x3000 + i, 1, S68000_WATCH_READ);
    EXPECT_EQ(reply("Z3,9000,2"), "E03");
}

TEST_F(TargetCommands, AWatchpointInsertedByTheClientStopsTheCpu) {
    code().w(0x33C0).l(0x2000).w(0x7E05);  // MOVE.W D0,$2000; MOVEQ #5,D7
    EXPECT_EQ(reply("Z2,2000,2"), "OK");
    s68000armWatchpoints();
    s68000exec(100);
    s68000disarmWatchpoints();
    uint32_t address = 0;
    int kinds = 0;
    EXPECT_TRUE(s68000takeWatchHit(&address, &kinds));
    EXPECT_EQ(address, 0x2000u);
    EXPECT_EQ(kinds, S68000_WATCH_WRITE);
    EXPECT_EQ(D(7), 0u);
}

}  // namespace
