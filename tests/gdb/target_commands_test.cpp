// The commands that touch the board, on a small machine: registers in the
// client's order, memory through the core's data lists (handlers see words
// where the client asks for whole words, bytes elsewhere), the core's
// breakpoint and watchpoint tables, and `monitor` lines refused with a reason.
#include "commands.h"
#include "core_fixture.h"
#include "cpudebug.h"
#include "packets.h"
#include "s68000_debug.h"
#include "target_commands.h"

namespace {

using namespace coretest;

std::string reply(const std::string& packet) { return gdbstub::target_reply(gdbstub::parse_packet(packet)); }

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
    // d1, a6 (fp), a7 (sp: the reset's SSP), sr, pc
    for (const auto& [n, value] : {std::pair{1, "11111111"}, {14, "a6a6a6a6"}, {15, "00008000"}, {16, "00002700"},
                                   {17, "00001000"}})
        EXPECT_EQ(g.substr(8 * n, 8), value) << n;
    EXPECT_EQ(reply("p11"), "00001000");
    EXPECT_EQ(reply("p12"), "E02");
    EXPECT_EQ(reply("P3=deadbeef") + reply("P11=00002000") + reply("P12=00000000"), "OKOKE02");
    EXPECT_EQ(D(3), 0xDEADBEEFu);
    EXPECT_EQ(ctx().pc, 0x2000u);
    // All at once, to user mode: sp is the user stack pointer, the
    // supervisor's kept aside as the CPU keeps it.
    std::string all = "G";
    for (uint32_t n = 0; n < 18; ++n)
        gdbstub::append_hex32(all, n == 15 ? 0x7000 : n == 16 ? 0x15 : n == 17 ? 0x1234 : 0x01010101 * n);
    EXPECT_EQ(reply(all), "OK");
    EXPECT_EQ(std::vector<uint32_t>({D(7), A(0), A(7), ctx().asp, ctx().sr, ctx().pc}),
              std::vector<uint32_t>({0x07070707, 0x08080808, 0x7000, RESET_SSP, 0x0015, 0x1234}));
    EXPECT_EQ(ctx().readword, user.readword.data());
}

TEST_F(TargetCommands, MemoryGoesThroughTheDataListsAsTheCpuWouldAccessIt) {
    mem.put32(0x2000, 0x0123ABCD);
    EXPECT_EQ(reply("m2000,4") + " " + reply("m2001,2"), "0123abcd 23ab");
    EXPECT_EQ(reply("M2001,3:a1b2c3"), "OK");
    EXPECT_EQ(mem.get32(0x2000), 0x01A1B2C3u);
    EXPECT_EQ(reply("me00000,3") + " " + reply("Me00000,1:00"), "ffffff OK") << "nothing there";
    EXPECT_EQ(reply("m0,7d1").size(), 2u * 2000) << "a part, as the protocol allows";
    EXPECT_EQ(reply("mfffffff0,20").size(), 0x40u) << "wraps through the 24-bit bus";
    port_reply = [](uint32_t a) { return a & 0xFFFF; };
    EXPECT_EQ(reply("mf00003,4"), "03000406");
    EXPECT_EQ(reply("Mf00011,5:0102030405"), "OK");
    EXPECT_EQ(port_log, (Log{R(PORT + 3), R(PORT + 4), R(PORT + 6), Wr(PORT + 0x11, 0x01), Wr(PORT + 0x12, 0x0203),
                             Wr(PORT + 0x14, 0x0405)}));
}

TEST_F(TargetCommands, BreakpointsAndWatchpointsGoToTheCoresTables) {
    for (const auto& [packet, answer] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Z0,1004,2", "OK"}, {"Z1,1008,2", "OK"}, {"z0,1004,2", "OK"}, {"z0,1004,2", "OK"},  // gone: as asked
             {"Z2,2000,2", "OK"}, {"Z3,2000,2", "OK"}, {"Z4,2000,4", "OK"}, {"z3,2000,2", "OK"},
             {"Z2,ffffff,2", "E02"}, {"Z2,2000,0", "E02"}})  // past the 24-bit bus; no length
        EXPECT_EQ(reply(packet), answer) << packet;
    EXPECT_EQ(s68000breakpointCount(), 1);
    EXPECT_EQ(s68000watchpointCount(), 2);
    for (uint32_t i = 0; i < S68000_MAX_BREAKPOINTS; ++i) s68000setBreakpoint(0x4000 + 2 * i);
    for (uint32_t i = 0; i < S68000_MAX_WATCHPOINTS; ++i) s68000setWatchpoint(0x3000 + i, 1, S68000_WATCH_READ);
    EXPECT_EQ(reply("Z0,9000,2") + reply("Z3,9000,2"), "E03E03") << "tables full";
}

// The reason names what was wrong, then E01; the place of the next dump
// stays where it was, and the console monitor's places are its own.
TEST_F(TargetCommands, MonitorLinesRefusedWithAReasonChangeNothing) {
    gdbstub::MonitorPlaces places;
    const auto text_of = [&](const std::string& line) {  // the text, then '|' and the last reply
        std::string text;
        const std::vector<std::string> replies = gdbstub::monitor_replies(line, places);
        for (const std::string& packet : replies)
            for (size_t i = 1; packet[0] == 'O' && i + 1 < packet.size(); i += 2)
                text += static_cast<char>(std::stoi(packet.substr(i, 2), nullptr, 16));
        return text + "|" + replies.back();
    };
    hexaddr = 0x123456, debugpc = 0x654320;
    EXPECT_EQ(text_of("d 0X2000").substr(0, 10), "00002000: ");
    EXPECT_TRUE(text_of("help") == text_of("?") && text_of("HELP") == text_of("") && text_of("").ends_with("\n|OK"));
    for (const auto& [line, named] : {std::pair{"reset", "'reset'"}, {"d 12zz", "'12zz'"}, {"d 1 2", "'2'"},
                                      {"u 100000000", "'100000000'"}, {"r x", "'x'"}}) {
        const std::string text = text_of(line);
        EXPECT_TRUE(text.find(named) != std::string::npos && text.ends_with("\n|E01")) << line << ": " << text;
    }
    EXPECT_EQ(text_of("d").substr(0, 10) + text_of("u").substr(0, 8), "00002080: 00001000");
    EXPECT_EQ(std::pair(hexaddr + 0, debugpc + 0), std::pair(0x123456u, 0x654320u)) << "the console's places moved";
}

}  // namespace
