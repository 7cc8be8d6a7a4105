#include "commands.h"

#include <cstdio>
#include <optional>

#include "packets.h"

namespace gdbstub {

namespace {

using Kind = PacketKind;

Packet of(Kind kind) {
    Packet c;
    c.kind = kind;
    return c;
}

Packet malformed() { return of(Kind::Malformed); }

// "A,B" into two hex numbers.
bool pair(std::string_view text, uint32_t& a, uint32_t& b) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos) return false;
    const auto x = parse_hex(text.substr(0, comma));
    const auto y = parse_hex(text.substr(comma + 1));
    if (!x || !y) return false;
    a = *x;
    b = *y;
    return true;
}

// c [ADDR] and s [ADDR].
Packet resume(Kind kind, std::string_view address) {
    Packet c = of(kind);
    if (address.empty()) return c;
    const auto a = parse_hex(address);
    if (!a) return malformed();
    c.address = *a;
    c.has_address = true;
    return c;
}

// C SIG[;ADDR] and S SIG[;ADDR]: the signal is not delivered to a board.
Packet resume_with_signal(Kind kind, std::string_view args) {
    const size_t semicolon = args.find(';');
    if (!parse_hex(args.substr(0, semicolon))) return malformed();
    return resume(kind, semicolon == std::string_view::npos ? std::string_view{} : args.substr(semicolon + 1));
}

Packet memory(Kind kind, std::string_view args) {
    Packet c = of(kind);
    if (kind == Kind::ReadMemory) {
        if (!pair(args, c.address, c.length)) return malformed();
        if (c.length > kMaxMemoryBytes) c.length = kMaxMemoryBytes;  // a shorter reply is allowed
        return c;
    }
    const size_t colon = args.find(':');
    if (colon == std::string_view::npos || !pair(args.substr(0, colon), c.address, c.length)) return malformed();
    auto bytes = parse_hex_bytes(args.substr(colon + 1));
    if (!bytes || bytes->size() != c.length) return malformed();
    c.data = std::move(*bytes);
    return c;
}

Packet registers(std::string_view args) {
    auto bytes = parse_hex_bytes(args);
    if (!bytes || bytes->size() < 4 * kRegisterCount) return malformed();  // more: registers we lack
    Packet c = of(Kind::WriteRegisters);
    c.data = std::move(*bytes);
    return c;
}

Packet one_register(Kind kind, std::string_view args) {
    Packet c = of(kind);
    const size_t equals = args.find('=');
    const auto number = parse_hex(args.substr(0, equals));
    if (!number) return malformed();
    c.number = *number;
    if (kind == Kind::ReadRegister) return equals == std::string_view::npos ? c : malformed();
    if (equals == std::string_view::npos) return malformed();
    const auto bytes = parse_hex_bytes(args.substr(equals + 1));
    if (!bytes || bytes->size() != 4) return malformed();
    c.value = uint32_t{(*bytes)[0]} << 24 | uint32_t{(*bytes)[1]} << 16 | uint32_t{(*bytes)[2]} << 8 | (*bytes)[3];
    return c;
}

// Z TYPE,ADDR,KIND[;conditions] (conditions are not asked for and ignored).
Packet point(Kind kind, std::string_view args) {
    args = args.substr(0, args.find(';'));
    const size_t comma = args.find(',');
    if (comma == std::string_view::npos) return malformed();
    const auto type = parse_hex(args.substr(0, comma));
    Packet c = of(kind);
    if (!type || *type > 4 || !pair(args.substr(comma + 1), c.address, c.length)) return malformed();
    c.number = *type;
    return c;
}

// qXfer:features:read:ANNEX:OFFSET,LENGTH
Packet features(std::string_view args) {
    const size_t colon = args.find(':');
    if (colon == std::string_view::npos) return malformed();
    Packet c = of(Kind::ReadFeatures);
    c.annex = std::string(args.substr(0, colon));
    if (!pair(args.substr(colon + 1), c.address, c.length)) return malformed();
    return c;
}

// vCont;ACTION[:THREAD][;ACTION[:THREAD]...]: the board has one thread, so
// the first action is the one that applies to it.
Packet resume_actions(std::string_view args) {
    if (args.empty() || args[0] != ';') return Packet{};
    std::string_view action = args.substr(1);
    action = action.substr(0, action.find(';'));
    action = action.substr(0, action.find(':'));
    if (action == "c") return of(Kind::Continue);
    if (action == "s") return of(Kind::Step);
    if (action.size() == 3 && (action[0] == 'C' || action[0] == 'S') && parse_hex(action.substr(1)))
        return of(action[0] == 'C' ? Kind::Continue : Kind::Step);
    if (action.empty()) return malformed();
    return Packet{};
}

// qRcmd,HEX: the line, two hex digits a character.
Packet monitor(std::string_view hex) {
    const auto bytes = parse_hex_bytes(hex);
    if (!bytes) return malformed();
    Packet c = of(Kind::Monitor);
    c.annex.assign(bytes->begin(), bytes->end());
    return c;
}

bool starts(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// qName, qName:arguments
bool query(std::string_view payload, std::string_view name) {
    return starts(payload, name) && (payload.size() == name.size() || payload[name.size()] == ':');
}

}  // namespace

Packet parse_packet(std::string_view payload) {
    if (payload.empty()) return Packet{};
    const std::string_view args = payload.substr(1);
    switch (payload[0]) {
        case '?': return of(Kind::HaltReason);
        case 'g': return args.empty() ? of(Kind::ReadRegisters) : malformed();
        case 'G': return registers(args);
        case 'p': return one_register(Kind::ReadRegister, args);
        case 'P': return one_register(Kind::WriteRegister, args);
        case 'm': return memory(Kind::ReadMemory, args);
        case 'M': return memory(Kind::WriteMemory, args);
        case 'Z': return point(Kind::InsertPoint, args);
        case 'z': return point(Kind::RemovePoint, args);
        case 'c': return resume(Kind::Continue, args);
        case 's': return resume(Kind::Step, args);
        case 'C': return resume_with_signal(Kind::Continue, args);
        case 'S': return resume_with_signal(Kind::Step, args);
        case 'D': return args.empty() || args[0] == ';' ? of(Kind::Detach) : malformed();
        case 'k': return of(Kind::Kill);
        case 'H': return args.size() >= 2 ? of(Kind::SelectThread) : malformed();
        default: break;
    }
    if (payload == "bs") return of(Kind::ReverseStep);
    if (payload == "bc") return of(Kind::ReverseContinue);
    if (query(payload, "qSupported")) return of(Kind::Supported);
    if (payload == "QStartNoAckMode") return of(Kind::StartNoAckMode);
    if (query(payload, "qAttached")) return of(Kind::Attached);
    if (payload == "vCont?") return of(Kind::ResumeActions);
    if (starts(payload, "vCont;")) return resume_actions(args.substr(4));
    constexpr std::string_view kFeatures = "qXfer:features:read:";
    if (starts(payload, kFeatures)) return features(payload.substr(kFeatures.size()));
    constexpr std::string_view kMonitor = "qRcmd,";
    if (starts(payload, kMonitor)) return monitor(payload.substr(kMonitor.size()));
    return Packet{};
}

bool for_the_target(PacketKind kind) {
    switch (kind) {
        case Kind::HaltReason:
        case Kind::ReadRegisters:
        case Kind::WriteRegisters:
        case Kind::ReadRegister:
        case Kind::WriteRegister:
        case Kind::ReadMemory:
        case Kind::WriteMemory:
        case Kind::InsertPoint:
        case Kind::RemovePoint:
        case Kind::Continue:
        case Kind::Step:
        case Kind::ReverseStep:
        case Kind::ReverseContinue:
        case Kind::Detach:
        case Kind::Kill:
        case Kind::Monitor: return true;
        default: return false;
    }
}

bool resumes(PacketKind kind) {
    return kind == Kind::Continue || kind == Kind::Step || kind == Kind::ReverseStep || kind == Kind::ReverseContinue;
}

// ---- What the server answers by itself ----

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
std::string features_reply(const Packet& c) {
    if (c.annex != "target.xml") return "E00";
    const std::string_view xml = kTargetXml;
    if (c.address > xml.size()) return "E01";
    const std::string_view piece = xml.substr(c.address, c.length);
    return (c.address + piece.size() < xml.size() ? "m" : "l") + std::string(piece);
}

}  // namespace

std::string server_reply(const Packet& command) {
    switch (command.kind) {
        case PacketKind::Supported: {
            char text[128];
            std::snprintf(text, sizeof text, "PacketSize=%zx;qXfer:features:read+;QStartNoAckMode+;ReverseStep+;ReverseContinue+",
                          PacketReader::kMaxPayload);
            return text;
        }
        case PacketKind::StartNoAckMode: return "OK";
        case PacketKind::Attached: return "1";  // so that quitting the client detaches
        case PacketKind::ResumeActions: return "vCont;c;C;s;S";
        case PacketKind::ReadFeatures: return features_reply(command);
        case PacketKind::SelectThread: return "OK";
        case PacketKind::Malformed: return "E01";
        default: return "";
    }
}

}  // namespace gdbstub
