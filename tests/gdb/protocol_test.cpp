// The protocol's layers without the board: packets cut from the client's
// bytes and framed for it, its packets read into commands (every argument
// checked), what the server answers by itself, and the queue between the
// server and the emulation thread.
#include <gtest/gtest.h>
#include <poll.h>

#include "channel.h"
#include "client_framing.h"
#include "commands.h"
#include "packets.h"

namespace {

using namespace gdbstub;
using Kind = PacketKind;

// Every event the bytes give, as text: "P:payload", "C" (bad checksum), "L"
// (too long), "+", "-", "I" (interrupt).
std::string events_of(const std::string& bytes) {
    PacketReader reader;
    PacketEvent e;
    std::string out;
    for (const char c : bytes)
        if (reader.feed(c, e))
            out += (out.empty() ? "" : " ") + (e.kind ? std::string(1, "PCL+-I"[e.kind]) : "P:" + e.payload);
    return out;
}

TEST(Packets, ReadFromTheClientsBytes) {
    const std::string longest(PacketReader::kMaxPayload, 'a');
    for (const auto& [bytes, events] : std::initializer_list<std::pair<std::string, std::string>>{
             {"+$g#67+$m100,4#5e-\x03", "+ P:g + P:m100,4 - I"},
             {"$#00$?#3F", "P: P:?"},                                 // either case of checksum digits
             {"$g#68$g#6z$g#x7$g#67", "C C C P:g"},                   // wrong, or not hex
             {"garbage\r\n#00$g#67xyz", "P:g"},                       // noise between packets
             {std::string("$a\x03#64"), "P:a\x03"},                   // an interrupt inside is data
             {"$m10$g#67", "P:g"},                                    // a new start drops the unfinished
             {framed(longest + "a") + "$g#67", "L P:g"},              // too long: reported without payload
             {framed(longest), "P:" + longest}})
        EXPECT_EQ(events_of(bytes), events) << bytes.substr(0, 40);
}

TEST(Packets, FramedAndEscapedForTheClientAndHexText) {
    EXPECT_EQ(frame_packet("OK"), "$OK#9a");
    EXPECT_EQ(frame_packet(""), "$#00");
    // '$' '#' '}' '*' go as '}' and the character xor 0x20, counted as sent.
    EXPECT_EQ(frame_packet("a$b#c}d*"), "$a}\x04" "b}\x03" "c}]d}\x0a#ec");
    for (const auto& [text, value] : std::initializer_list<std::pair<const char*, std::optional<uint32_t>>>{
             {"0", 0}, {"ffFFffFF", 0xFFFFFFFF}, {"000000000000100", 0x100}, {"100000000", {}}, {"", {}},
             {"12g", {}}, {"-1", {}}})
        EXPECT_EQ(parse_hex(text), value) << text;
    EXPECT_EQ(parse_hex_bytes("00ff7A"), (std::vector<uint8_t>{0x00, 0xFF, 0x7A}));
    EXPECT_FALSE(parse_hex_bytes("abc") || parse_hex_bytes("zz"));
}

TEST(Commands, EveryPacketReadsAsItsKindAndAnythingElseIsMalformedOrUnknown) {
    const std::string registers(4 * kRegisterCount * 2, '1');
    const std::pair<Kind, std::vector<std::string>> kinds[] = {
        {Kind::ReadRegisters, {"g"}}, {Kind::ReadRegister, {"p11"}}, {Kind::WriteRegister, {"P3=0012abcd"}},
        {Kind::WriteRegisters, {"G" + registers, "G" + registers + "2222"}},  // more: registers we lack
        {Kind::ReadMemory, {"m100000,10", "m0,ffffffff"}}, {Kind::WriteMemory, {"M500000,2:a5F0"}},
        {Kind::InsertPoint, {"Z0,16c,2", "Z4,100004,4;X1,0"}}, {Kind::RemovePoint, {"z1,16c,2"}},  // conditions ignored
        {Kind::HaltReason, {"?"}}, {Kind::Continue, {"c", "c1004", "C02", "vCont;c", "vCont;C05:1"}},
        {Kind::Step, {"s", "S05;2000", "vCont;s:1;c", "vCont;S05"}},  // one thread: the first action
        {Kind::Detach, {"D", "D;1"}}, {Kind::Kill, {"k"}}, {Kind::Monitor, {"qRcmd,642031303030"}},
        {Kind::Supported, {"qSupported", "qSupported:multiprocess+;swbreak+"}},
        {Kind::StartNoAckMode, {"QStartNoAckMode"}},
        {Kind::Attached, {"qAttached:1"}}, {Kind::ResumeActions, {"vCont?"}}, {Kind::SelectThread, {"Hg0"}},
        {Kind::ReadFeatures, {"qXfer:features:read:target.xml:0,ffb"}},
        {Kind::Unknown, {"", "vMustReplyEmpty", "qTStatus", "X100,0:", "qfThreadInfo", "!", "\x7f", "qSupportedX",
                         "vCont;t", "vCont", "vContX", "vCont;C0g"}},
        {Kind::Malformed,
         {"gx", "p", "pz", "p1=", "P3", "P3=12", "P3=0012abcd00", "P=00000000", "P3=0012abcg",
          "G" + registers.substr(2), "G" + registers.substr(1), "m", "m100", "m,4", "m100,", "m1000000000,1", "mx,1",
          "M100,2", "M100,2:a5", "M100,1:a5f0", "M100,2:a5fz", "M100:a5", "Z", "Z0", "Z0,", "Z0,16c", "Z5,16c,2",
          "Z0,16c,", "Zx,16c,2", "Z0,1ffffffff,2", "cx", "c1ffffffff", "C", "Cxx", "S05;zz", "D1", "vCont;", "H",
          "qXfer:features:read:target.xml", "qXfer:features:read:target.xml:0", "qRcmd,6"}}};
    for (const auto& [kind, payloads] : kinds) {
        for (const std::string& payload : payloads) EXPECT_EQ(parse_packet(payload).kind, kind) << payload;
        // The board's commands go to the emulation thread, which resumes on c and s.
        EXPECT_EQ(for_the_target(kind), kind >= Kind::HaltReason) << payloads[0];
        EXPECT_EQ(resumes(kind), kind == Kind::Continue || kind == Kind::Step) << payloads[0];
    }
    // The arguments that only the session reads: where c and s resume, when given.
    for (const auto& [payload, at] : {std::pair{"c1004", 0x1004}, {"S05;2000", 0x2000}, {"c", -1}, {"s", -1}}) {
        const Packet c = parse_packet(payload);
        EXPECT_EQ(c.has_address ? static_cast<int>(c.address) : -1, at) << payload;
    }
    EXPECT_EQ(parse_packet("qRcmd,642031303030").annex, "d 1000");
}

TEST(Commands, TheServerAnswersFeaturesThreadsAndErrors) {
    for (const auto& [payload, reply] : std::initializer_list<std::pair<const char*, const char*>>{
             {"QStartNoAckMode", "OK"}, {"qAttached", "1"}, {"Hc-1", "OK"}, {"vMustReplyEmpty", ""}, {"m100", "E01"}, {"qXfer:features:read:other.xml:0,10", "E00"},
             {"qXfer:features:read:target.xml:ffffffff,10", "E01"}})
        EXPECT_EQ(server_reply(parse_packet(payload)), reply) << payload;
    char atEnd[64];  // read at the description's very end: the last piece, empty
    std::snprintf(atEnd, sizeof atEnd, "qXfer:features:read:target.xml:%zx,10", std::string_view(kTargetXml).size());
    EXPECT_EQ(server_reply(parse_packet(atEnd)), "l");
    EXPECT_EQ(server_reply(parse_packet("qXfer:features:read:target.xml:0,10")),  // 16 bytes, more to come
              "m" + std::string(kTargetXml).substr(0, 16));
}

TEST(Channel, EventsInOrderRepliesWakeTheServerAndAClientCannotQueueWithoutEnd) {
    Channel channel;
    Event request{Event::Request, 1, {}};
    for (size_t i = 0; i < Channel::kMaxQueued; ++i) ASSERT_TRUE(channel.post(request));
    EXPECT_FALSE(channel.post(request));
    EXPECT_FALSE(channel.post({Event::Interrupt, 1, {}}));
    EXPECT_TRUE(channel.post({Event::Disconnected, 1, {}})) << "the end always gets through";
    EXPECT_TRUE(channel.pending());
    channel.clear();
    EXPECT_FALSE(channel.pending());
    // While nothing takes the events (no game booted), clients that come and
    // go leave one end; a start, and what a client asked, keep their places.
    for (uint64_t client = 1; client < 1000; ++client)
        for (const auto kind : {Event::Connected, Event::Disconnected}) ASSERT_TRUE(channel.post({kind, client, {}}));
    for (const auto kind : {Event::Connected, Event::Request, Event::Disconnected}) channel.post({kind, 1000, {}});
    std::vector<int> kinds;
    for (Event e; channel.next(e, std::chrono::milliseconds(0));) kinds.push_back(e.kind);
    EXPECT_EQ(kinds, (std::vector<int>{Event::Disconnected, Event::Connected, Event::Request, Event::Disconnected}));
    pollfd wake{channel.wake_fd(), POLLIN, 0};
    EXPECT_EQ(poll(&wake, 1, 0), 0);
    channel.reply(1, "OK");
    channel.reply(1, "S05", Reply::Stop);
    EXPECT_EQ(poll(&wake, 1, 0), 1);
    channel.drain_wake();
    EXPECT_EQ(poll(&wake, 1, 0), 0);
    Reply first, second, none;
    EXPECT_TRUE(channel.take_reply(first) && channel.take_reply(second) && !channel.take_reply(none));
    EXPECT_EQ(first.payload + " " + second.payload, "OK S05");
    EXPECT_EQ(second.kind, Reply::Stop);
}

}  // namespace
