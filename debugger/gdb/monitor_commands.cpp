#include "monitor_commands.h"

#include <cctype>
#include <sstream>

#include "cpudebug.h"
#include "hex.h"
#include "monitor_output.h"
#include "s68000.h"

namespace gdbstub {

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
