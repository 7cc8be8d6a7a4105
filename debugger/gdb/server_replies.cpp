#include "server_replies.h"

#include <cstdio>
#include <string_view>

#include "packet_reader.h"

namespace gdbstub {

const char* const kTargetXml =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE target SYSTEM \"gdb-target.dtd\">\n"
    "<target version=\"1.0\">\n"
    "  <architecture>m68k</architecture>\n"
    "  <feature name=\"org.gnu.gdb.m68k.core\">\n"
    "    <reg name=\"d0\" bitsize=\"32\"/>\n"
    "    <reg name=\"d1\" bitsize=\"32\"/>\n"
    "    <reg name=\"d2\" bitsize=\"32\"/>\n"
    "    <reg name=\"d3\" bitsize=\"32\"/>\n"
    "    <reg name=\"d4\" bitsize=\"32\"/>\n"
    "    <reg name=\"d5\" bitsize=\"32\"/>\n"
    "    <reg name=\"d6\" bitsize=\"32\"/>\n"
    "    <reg name=\"d7\" bitsize=\"32\"/>\n"
    "    <reg name=\"a0\" bitsize=\"32\" type=\"data_ptr\"/>\n"
    "    <reg name=\"a1\" bitsize=\"32\" type=\"data_ptr\"/>\n"
    "    <reg name=\"a2\" bitsize=\"32\" type=\"data_ptr\"/>\n"
    "    <reg name=\"a3\" bitsize=\"32\" type=\"data_ptr\"/>\n"
    "    <reg name=\"a4\" bitsize=\"32\" type=\"data_ptr\"/>\n"
    "    <reg name=\"a5\" bitsize=\"32\" type=\"data_ptr\"/>\n"
    "    <reg name=\"fp\" bitsize=\"32\" type=\"data_ptr\"/>\n"
    "    <reg name=\"sp\" bitsize=\"32\" type=\"data_ptr\"/>\n"
    "    <reg name=\"ps\" bitsize=\"32\"/>\n"
    "    <reg name=\"pc\" bitsize=\"32\" type=\"code_ptr\"/>\n"
    "  </feature>\n"
    "</target>\n";

namespace {

// qXfer reads: 'm' and a piece when more follows, 'l' and the rest at the end.
std::string features(const Command& c) {
    if (c.annex != "target.xml") return "E00";
    const std::string_view xml = kTargetXml;
    if (c.address > xml.size()) return "E01";
    const std::string_view piece = xml.substr(c.address, c.length);
    return (c.address + piece.size() < xml.size() ? "m" : "l") + std::string(piece);
}

}  // namespace

std::string server_reply(const Command& command) {
    switch (command.kind) {
        case CommandKind::Supported: {
            char text[80];
            std::snprintf(text, sizeof text, "PacketSize=%zx;qXfer:features:read+;QStartNoAckMode+",
                          PacketReader::kMaxPayload);
            return text;
        }
        case CommandKind::StartNoAckMode: return "OK";
        case CommandKind::Attached: return "1";  // so that quitting the client detaches
        case CommandKind::ResumeActions: return "vCont;c;C;s;S";
        case CommandKind::ReadFeatures: return features(command);
        case CommandKind::SelectThread: return "OK";
        case CommandKind::Malformed: return "E01";
        default: return "";
    }
}

}  // namespace gdbstub
