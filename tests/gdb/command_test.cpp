// The client's packets read into commands, and what the server answers by
// itself: every argument checked, anything unreadable malformed, anything
// unknown unknown.
#include <gtest/gtest.h>

#include <cstdio>

#include "commands.h"

namespace {

using namespace gdbstub;
using Kind = CommandKind;

Kind kind_of(const char* payload) { return parse_command(payload).kind; }

std::string hex(size_t n) {
    char text[20];
    std::snprintf(text, sizeof text, "%zx", n);
    return text;
}

TEST(Command, RegistersAndMemory) {
    EXPECT_EQ(kind_of("g"), Kind::ReadRegisters);
    EXPECT_EQ(kind_of("gx"), Kind::Malformed);

    Command p = parse_command("p11");
    EXPECT_EQ(p.kind, Kind::ReadRegister);
    EXPECT_EQ(p.number, 0x11u);
    Command P = parse_command("P3=0012abcd");
    EXPECT_EQ(P.kind, Kind::WriteRegister);
    EXPECT_EQ(P.number, 3u);
    EXPECT_EQ(P.value, 0x0012ABCDu);
    for (const char* bad : {"p", "pz", "p1=", "P3", "P3=12", "P3=0012abcd00", "P=00000000", "P3=0012abcg"})
        EXPECT_EQ(kind_of(bad), Kind::Malformed) << bad;

    const std::string all(4 * kRegisterCount * 2, '1');
    Command G = parse_command("G" + all);
    EXPECT_EQ(G.kind, Kind::WriteRegisters);
    EXPECT_EQ(G.data.size(), 4u * kRegisterCount);
    EXPECT_EQ(kind_of(("G" + all + "2222").c_str()), Kind::WriteRegisters);  // more: registers we lack
    EXPECT_EQ(kind_of(("G" + all.substr(2)).c_str()), Kind::Malformed);
    EXPECT_EQ(kind_of(("G" + all.substr(1)).c_str()), Kind::Malformed);

    Command m = parse_command("m100000,10");
    EXPECT_EQ(m.kind, Kind::ReadMemory);
    EXPECT_EQ(m.address, 0x100000u);
    EXPECT_EQ(m.length, 0x10u);
    EXPECT_EQ(parse_command("m0,ffffffff").length, kMaxMemoryBytes);  // answered in part
    Command M = parse_command("M500000,2:a5F0");
    EXPECT_EQ(M.kind, Kind::WriteMemory);
    EXPECT_EQ(M.data, (std::vector<uint8_t>{0xA5, 0xF0}));
    for (const char* bad : {"m", "m100", "m,4", "m100,", "m1000000000,1", "mx,1", "M100,2", "M100,2:a5",
                            "M100,1:a5f0", "M100,2:a5fz", "M100:a5"})
        EXPECT_EQ(kind_of(bad), Kind::Malformed) << bad;
}

TEST(Command, BreakpointsAndWatchpoints) {
    Command z = parse_command("Z0,16c,2");
    EXPECT_EQ(z.kind, Kind::InsertPoint);
    EXPECT_EQ(z.number, 0u);
    EXPECT_EQ(z.address, 0x16Cu);
    EXPECT_EQ(z.length, 2u);
    Command w = parse_command("z4,100004,4;X1,0");  // conditions are ignored
    EXPECT_EQ(w.kind, Kind::RemovePoint);
    EXPECT_EQ(w.number, 4u);
    EXPECT_EQ(w.length, 4u);
    for (const char* bad : {"Z", "Z0", "Z0,", "Z0,16c", "Z5,16c,2", "Z0,16c,", "Zx,16c,2", "Z0,1ffffffff,2"})
        EXPECT_EQ(kind_of(bad), Kind::Malformed) << bad;
}

TEST(Command, RunControl) {
    EXPECT_EQ(kind_of("?"), Kind::HaltReason);
    EXPECT_EQ(kind_of("c"), Kind::Continue);
    EXPECT_EQ(kind_of("s"), Kind::Step);
    Command c = parse_command("c1004");
    EXPECT_TRUE(c.has_address);
    EXPECT_EQ(c.address, 0x1004u);
    EXPECT_FALSE(parse_command("c").has_address);
    Command S = parse_command("S05;2000");
    EXPECT_EQ(S.kind, Kind::Step);
    EXPECT_EQ(S.address, 0x2000u);
    EXPECT_EQ(kind_of("C02"), Kind::Continue);
    EXPECT_EQ(kind_of("vCont;c"), Kind::Continue);
    EXPECT_EQ(kind_of("vCont;s:1;c"), Kind::Step);  // one thread: the first action
    EXPECT_EQ(kind_of("vCont;C05:1"), Kind::Continue);
    EXPECT_EQ(kind_of("vCont?"), Kind::ResumeActions);
    EXPECT_EQ(kind_of("vCont;t"), Kind::Unknown);
    EXPECT_EQ(kind_of("D"), Kind::Detach);
    EXPECT_EQ(kind_of("D;1"), Kind::Detach);
    EXPECT_EQ(kind_of("k"), Kind::Kill);
    for (const char* bad : {"cx", "c1ffffffff", "C", "Cxx", "S05;zz", "D1", "vCont;"})
        EXPECT_EQ(kind_of(bad), Kind::Malformed) << bad;
    EXPECT_TRUE(resumes(Kind::Continue));
    EXPECT_TRUE(resumes(Kind::Step));
    EXPECT_FALSE(resumes(Kind::Detach));
}

TEST(Command, QueriesAndUnknownPackets) {
    EXPECT_EQ(kind_of("qSupported:multiprocess+;swbreak+"), Kind::Supported);
    EXPECT_EQ(kind_of("qSupported"), Kind::Supported);
    EXPECT_EQ(kind_of("qSupportedX"), Kind::Unknown);
    EXPECT_EQ(kind_of("QStartNoAckMode"), Kind::StartNoAckMode);
    EXPECT_EQ(kind_of("qAttached:1"), Kind::Attached);
    EXPECT_EQ(kind_of("Hg0"), Kind::SelectThread);
    EXPECT_EQ(kind_of("H"), Kind::Malformed);
    for (const char* unknown : {"", "vMustReplyEmpty", "qTStatus", "X100,0:", "qfThreadInfo", "!", "\x7f"})
        EXPECT_EQ(kind_of(unknown), Kind::Unknown) << unknown;
    Command x = parse_command("qXfer:features:read:target.xml:0,ffb");
    EXPECT_EQ(x.kind, Kind::ReadFeatures);
    EXPECT_EQ(x.annex, "target.xml");
    EXPECT_EQ(x.length, 0xFFBu);
    EXPECT_EQ(kind_of("qXfer:features:read:target.xml"), Kind::Malformed);
    EXPECT_EQ(parse_command("qRcmd,642031303030").annex, "d 1000");
    EXPECT_EQ(kind_of("qRcmd,6"), Kind::Malformed);
}

TEST(Command, OnlyBoardCommandsGoToTheTarget) {
    for (const char* p : {"?", "g", "G" "000000000000000000000000000000000000000000000000000000000000000000000000"
                          "000000000000000000000000000000000000000000000000000000000000000000000000",
                          "p0", "P0=00000000", "m0,1", "M0,1:00", "Z0,0,2", "z0,0,2", "c", "s", "D", "k", "qRcmd,72"})
        EXPECT_TRUE(for_the_target(kind_of(p))) << p;
    for (const char* p : {"qSupported", "QStartNoAckMode", "qAttached", "vCont?", "Hg0", "qXfer:features:read:a:0,1",
                          "qTStatus", "m"})
        EXPECT_FALSE(for_the_target(kind_of(p))) << p;
}

TEST(ServerReplies, FeaturesThreadsUnknownAndMalformed) {
    EXPECT_EQ(server_reply(parse_command("qSupported:xmlRegisters=i386")),
              "PacketSize=1000;qXfer:features:read+;QStartNoAckMode+;ReverseStep+;ReverseContinue+");
    EXPECT_EQ(server_reply(parse_command("QStartNoAckMode")), "OK");
    EXPECT_EQ(server_reply(parse_command("qAttached")), "1");
    EXPECT_EQ(server_reply(parse_command("vCont?")), "vCont;c;C;s;S");
    EXPECT_EQ(server_reply(parse_command("Hc-1")), "OK");
    EXPECT_EQ(server_reply(parse_command("vMustReplyEmpty")), "");
    EXPECT_EQ(server_reply(parse_command("m100")), "E01");
}

TEST(ServerReplies, TheTargetDescriptionInPieces) {
    const std::string xml = kTargetXml;
    std::string read;
    for (uint32_t offset = 0;;) {
        const std::string reply =
            server_reply(parse_command("qXfer:features:read:target.xml:" + hex(offset) + ",64"));
        ASSERT_FALSE(reply.empty());
        ASSERT_TRUE(reply[0] == 'm' || reply[0] == 'l') << reply;
        read += reply.substr(1);
        offset = static_cast<uint32_t>(read.size());
        if (reply[0] == 'l') break;
        ASSERT_EQ(reply.size(), 1u + 0x64);
    }
    EXPECT_EQ(read, xml);
    EXPECT_EQ(server_reply(parse_command("qXfer:features:read:target.xml:" + hex(xml.size()) + ",10")),
              "l");
    EXPECT_EQ(server_reply(parse_command("qXfer:features:read:target.xml:ffffffff,10")), "E01");
    EXPECT_EQ(server_reply(parse_command("qXfer:features:read:other.xml:0,10")), "E00");
    EXPECT_NE(xml.find("<architecture>m68k</architecture>"), std::string::npos);
    EXPECT_NE(xml.find("org.gnu.gdb.m68k.core"), std::string::npos);
}

}  // namespace
