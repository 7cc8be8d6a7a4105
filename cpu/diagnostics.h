// Names of the core's instruction handlers, for diagnostics and tests.
#pragma once

#include <cstdint>
#include <string>

// The name of the handler that jmptbl holds for an opcode: a letter for bits
// 15-12 of the handler's first opcode (K for 0 to Z for 15) and its bits 11-0
// as three hexadecimal digits.
std::string s68000handlerName(uint16_t opcode);

// The second name some handlers carry: "r_illegal", "r_bra_b", "r_bra_w",
// "r_dbra"; empty for the others.
std::string s68000handlerAlias(uint16_t opcode);

// The first opcode served by the handler that jmptbl holds for an opcode.
uint16_t s68000handlerFirstOpcode(uint16_t opcode);
