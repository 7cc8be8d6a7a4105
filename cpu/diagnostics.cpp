#include "diagnostics.h"

#include <array>
#include <cstdio>
#include <unordered_map>

#include "dispatch_table.h"

using m68k::Handler;
using m68k::jmptbl;

uint16_t s68000handlerFirstOpcode(uint16_t opcode) {
    // Built once from the expanded table (which s68000init always expands the same).
    static const std::array<uint16_t, 65536> first = [] {
        std::array<uint16_t, 65536> result{};
        std::unordered_map<Handler, uint16_t> seen;
        for (unsigned op = 0; op < 65536; ++op)
            result[op] = seen.emplace(jmptbl[op], static_cast<uint16_t>(op)).first->second;
        return result;
    }();
    return first[opcode];
}

std::string s68000handlerName(uint16_t opcode) {
    const uint16_t first = s68000handlerFirstOpcode(opcode);
    char name[8];
    std::snprintf(name, sizeof name, "%c%03X", "KLMNOPQRSTUVWXYZ"[first >> 12], first & 0xFFFu);
    return name;
}

std::string s68000handlerAlias(uint16_t opcode) {
    const uint16_t first = s68000handlerFirstOpcode(opcode);
    // The illegal-instruction handler is the one of opcode 0x4AFC (ILLEGAL).
    if (first == s68000handlerFirstOpcode(0x4AFC)) return "r_illegal";
    if (first == 0x6001) return "r_bra_b";
    if (first == 0x6000) return "r_bra_w";
    if (first == 0x51C8) return "r_dbra";
    return "";
}
