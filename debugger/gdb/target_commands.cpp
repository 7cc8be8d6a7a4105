#include "target_commands.h"

#include <cctype>
#include <sstream>

#include "cpudebug.h"
#include "monitor_output.h"
#include "packets.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace gdbstub {

namespace {

constexpr unsigned kSr = 16;

uint32_t read_register(unsigned n) {
    const s68000context& c = _s68000context;
    if (n < 8) return c.dreg[n];
    if (n < 16) return c.areg[n - 8];
    return n == kSr ? c.sr : c.pc;
}

// SR as the CPU installs it: a change of S swaps the stack pointers, so the
// value written to a7 afterwards is the new mode's stack pointer.
void write_register(unsigned n, uint32_t value) {
    s68000context& c = _s68000context;
    if (n < 8)
        c.dreg[n] = value;
    else if (n < 16)
        c.areg[n - 8] = value;
    else if (n == kSr)
        s68000setSR(static_cast<uint16_t>(value));
    else
        c.pc = value;
}

std::string read_registers() {
    std::string out;
    for (unsigned n = 0; n < kRegisterCount; ++n) append_hex32(out, read_register(n));
    return out;
}

uint32_t register_in(const std::vector<uint8_t>& data, unsigned n) {
    return uint32_t{data[4 * n]} << 24 | uint32_t{data[4 * n + 1]} << 16 | uint32_t{data[4 * n + 2]} << 8 |
           data[4 * n + 3];
}

std::string write_registers(const std::vector<uint8_t>& data) {
    write_register(kSr, register_in(data, kSr));
    for (unsigned n = 0; n < kRegisterCount; ++n)
        if (n != kSr) write_register(n, register_in(data, n));
    return "OK";
}

// Words where a whole even-aligned word is asked for, bytes elsewhere: the
// accesses an instruction would make.
std::string read_memory(uint32_t address, uint32_t length) {
    std::string out;
    for (uint32_t i = 0; i < length;) {
        const uint32_t at = address + i;
        if (!(at & 1) && length - i >= 2) {
            const uint32_t word = s68000readWord(at);
            append_hex8(out, static_cast<uint8_t>(word >> 8));
            append_hex8(out, static_cast<uint8_t>(word));
            i += 2;
        } else {
            append_hex8(out, static_cast<uint8_t>(s68000readByte(at)));
            i += 1;
        }
    }
    return out;
}

std::string write_memory(uint32_t address, const std::vector<uint8_t>& bytes) {
    const uint32_t length = static_cast<uint32_t>(bytes.size());
    for (uint32_t i = 0; i < length;) {
        const uint32_t at = address + i;
        if (!(at & 1) && length - i >= 2) {
            s68000writeWord(at, uint32_t{bytes[i]} << 8 | bytes[i + 1]);
            i += 2;
        } else {
            s68000writeByte(at, bytes[i]);
            i += 1;
        }
    }
    return "OK";
}

// Z0 and Z1 are both breakpoints here; Z2, Z3 and Z4 watch writes, reads
// and both.
int watch_kinds(unsigned type) {
    return type == 2 ? S68000_WATCH_WRITE : type == 3 ? S68000_WATCH_READ : S68000_WATCH_READ | S68000_WATCH_WRITE;
}

std::string insert_point(const Packet& c) {
    if (c.number <= 1) return s68000setBreakpoint(c.address) == 0 ? "OK" : "E03";
    switch (s68000setWatchpoint(c.address, c.length, watch_kinds(c.number))) {
        case 0: return "OK";
        case 1: return "E03";  // the table is full
        default: return "E02";  // a range outside the 24-bit address space
    }
}

// Removing what is not there leaves the tables as asked: OK.
std::string remove_point(const Packet& c) {
    if (c.number <= 1)
        s68000clearBreakpoint(c.address);
    else
        s68000clearWatchpoint(c.address, c.length, watch_kinds(c.number));
    return "OK";
}

}  // namespace

std::string target_reply(const Packet& c) {
    switch (c.kind) {
        case PacketKind::ReadRegisters: return read_registers();
        case PacketKind::WriteRegisters: return write_registers(c.data);
        case PacketKind::ReadRegister: {
            if (c.number >= kRegisterCount) return "E02";
            std::string out;
            append_hex32(out, read_register(c.number));
            return out;
        }
        case PacketKind::WriteRegister:
            if (c.number >= kRegisterCount) return "E02";
            write_register(c.number, c.value);
            return "OK";
        case PacketKind::ReadMemory: return read_memory(c.address, c.length);
        case PacketKind::WriteMemory: return write_memory(c.address, c.data);
        case PacketKind::InsertPoint: return insert_point(c);
        case PacketKind::RemovePoint: return remove_point(c);
        default: return "";
    }
}

// ---- gdb's `monitor` command ----

namespace {

constexpr int kListingLength = 16;    // instructions, as the console's `u`
constexpr size_t kOutputChunk = 512;  // characters of text an 'O' packet carries

const char* const kHelp =
    "r              registers, flags, interrupt mask, pending levels and the next instruction\n"
    "d [address]    dump 128 bytes of program memory; d alone goes on after the last dump\n"
    "u [address]    list 16 instructions; u alone goes on after the last listing (first at the PC)\n"
    "help           this text\n"
    "Addresses are hexadecimal, 0x allowed.\n";

struct Outcome {
    std::string text;
    bool ok;
};

Outcome refused(const std::string& why) { return {why + "\n", false}; }

// A hexadecimal address of 32 bits at most, "0x" allowed.
std::optional<uint32_t> address_of(std::string word) {
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) word.erase(0, 2);
    return parse_hex(word);
}

// What `print` prints, captured; the console monitor's own places (hexaddr,
// debugpc), which `print` moves, are given back afterwards.
template <class Print>
std::string captured(Print print) {
    const uint32_t console_dump = hexaddr;
    const uint32_t console_listing = debugpc;
    MonitorCapture capture;
    print();
    hexaddr = console_dump;
    debugpc = console_listing;
    return capture.text();
}

Outcome run(const std::string& line, MonitorPlaces& places) {
    std::istringstream words(line);
    std::string name, argument, extra;
    words >> name >> argument >> extra;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name.empty() || name == "help" || name == "?") return {kHelp, true};
    if (name != "r" && name != "d" && name != "u")
        return refused("Unknown monitor command '" + name + "'; 'monitor help' lists them");
    if (name == "r") {
        if (!argument.empty()) return refused("r takes no argument: '" + argument + "' is one too many");
        // As on the console, a listing goes on at the PC afterwards.
        return {captured([&] {
                    cpudebug_registerdump();
                    places.listing = debugpc;
                }),
                true};
    }
    if (!extra.empty()) return refused(name + " takes one address at most: '" + extra + "' is one too many");
    std::optional<uint32_t> address;
    if (!argument.empty() && !(address = address_of(argument)))
        return refused(name + ": '" + argument + "' is no hexadecimal address of 32 bits");
    if (name == "d")
        return {captured([&] {
                    hexaddr = address.value_or(places.dump);
                    cpudebug_hexdump();
                    places.dump = hexaddr;
                }),
                true};
    return {captured([&] {
                debugpc = address ? *address : places.listing.value_or(_s68000context.pc);
                cpudebug_disassemble(kListingLength);
                places.listing = debugpc;
            }),
            true};
}

}  // namespace

std::vector<std::string> monitor_replies(const std::string& line, MonitorPlaces& places) {
    const Outcome outcome = run(line, places);
    std::vector<std::string> replies;
    for (size_t at = 0; at < outcome.text.size(); at += kOutputChunk) {
        std::string packet = "O";
        for (const char c : outcome.text.substr(at, kOutputChunk)) append_hex8(packet, static_cast<uint8_t>(c));
        replies.push_back(std::move(packet));
    }
    replies.push_back(outcome.ok ? "OK" : "E01");
    return replies;
}

}  // namespace gdbstub
