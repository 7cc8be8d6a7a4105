// The protocol's bytes: packets cut from a stream of bytes, checksums,
// acknowledgements, the interrupt byte, over-long packets, and the framing
// and escapes of what the stub sends.
#include <gtest/gtest.h>

#include "packets.h"

namespace {

using gdbstub::PacketEvent;
using gdbstub::PacketReader;

// Every event the bytes give, as text: "P:payload", "C" (bad checksum),
// "L" (too long), "+", "-", "I".
std::vector<std::string> events_of(PacketReader& reader, const std::string& bytes) {
    std::vector<std::string> out;
    PacketEvent e;
    for (char c : bytes) {
        if (!reader.feed(c, e)) continue;
        switch (e.kind) {
            case PacketEvent::Packet: out.push_back("P:" + e.payload); break;
            case PacketEvent::BadChecksum: out.push_back("C"); break;
            case PacketEvent::TooLong: out.push_back("L"); break;
            case PacketEvent::Ack: out.push_back("+"); break;
            case PacketEvent::Nak: out.push_back("-"); break;
            case PacketEvent::Interrupt: out.push_back("I"); break;
        }
    }
    return out;
}

std::vector<std::string> events_of(const std::string& bytes) {
    PacketReader reader;
    return events_of(reader, bytes);
}

using Events = std::vector<std::string>;

TEST(PacketReader, PacketsAcksAndTheInterruptByte) {
    EXPECT_EQ(events_of("+$g#67+$m100,4#5e-\x03"), (Events{"+", "P:g", "+", "P:m100,4", "-", "I"}));
    EXPECT_EQ(events_of("$#00"), (Events{"P:"}));
    EXPECT_EQ(events_of("$?#3F"), (Events{"P:?"}));  // either case of checksum digits
}

TEST(PacketReader, ChecksumsThatDoNotMatchOrAreNotHex) {
    EXPECT_EQ(events_of("$g#68$g#6z$g#x7$g#67"), (Events{"C", "C", "C", "P:g"}));
}

TEST(PacketReader, NoiseBetweenPacketsIsIgnoredAndAnInterruptInsideIsData) {
    EXPECT_EQ(events_of("garbage\r\n#00$g#67xyz"), (Events{"P:g"}));
    const std::string inside = std::string("$a\x03") + "#" + "64";
    EXPECT_EQ(events_of(inside), (Events{"P:a\x03"}));
}

TEST(PacketReader, ANewStartDropsTheUnfinishedPacket) {
    EXPECT_EQ(events_of("$m10$g#67"), (Events{"P:g"}));
}

TEST(PacketReader, APacketPastTheLimitIsReportedWithoutItsPayloadAndTheNextIsRead) {
    const std::string long_payload(PacketReader::kMaxPayload + 1, 'a');
    unsigned sum = 0;
    for (char c : long_payload) sum += static_cast<unsigned char>(c);
    std::string frame = "$" + long_payload + "#";
    gdbstub::append_hex8(frame, static_cast<uint8_t>(sum));
    PacketReader reader;
    EXPECT_EQ(events_of(reader, frame + "$g#67"), (Events{"L", "P:g"}));

    const std::string just_fits(PacketReader::kMaxPayload, 'a');
    sum = 0;
    for (char c : just_fits) sum += static_cast<unsigned char>(c);
    frame = "$" + just_fits + "#";
    gdbstub::append_hex8(frame, static_cast<uint8_t>(sum));
    EXPECT_EQ(events_of(frame), (Events{"P:" + just_fits}));
}

TEST(PacketFraming, ChecksumAndEscapes) {
    EXPECT_EQ(gdbstub::frame_packet("OK"), "$OK#9a");
    EXPECT_EQ(gdbstub::frame_packet(""), "$#00");
    // '$' '#' '}' '*' go as '}' and the character xor 0x20.
    EXPECT_EQ(gdbstub::frame_packet("a$b#c}d*"), "$a}\x04" "b}\x03" "c}]d}\x0a#ec");
}

TEST(Hex, NumbersAndBytes) {
    using gdbstub::parse_hex;
    EXPECT_EQ(parse_hex("0"), 0u);
    EXPECT_EQ(parse_hex("ffFFffFF"), 0xFFFFFFFFu);
    EXPECT_EQ(parse_hex("000000000000100"), 0x100u);  // leading zeros
    EXPECT_FALSE(parse_hex("100000000"));             // past 32 bits
    EXPECT_FALSE(parse_hex(""));
    EXPECT_FALSE(parse_hex("12g"));
    EXPECT_FALSE(parse_hex("-1"));
    EXPECT_EQ(gdbstub::parse_hex_bytes("00ff7A"), (std::vector<uint8_t>{0x00, 0xFF, 0x7A}));
    EXPECT_FALSE(gdbstub::parse_hex_bytes("abc"));
    EXPECT_FALSE(gdbstub::parse_hex_bytes("zz"));
    std::string out;
    gdbstub::append_hex32(out, 0x0012ABCD);
    EXPECT_EQ(out, "0012abcd");
}

}  // namespace
