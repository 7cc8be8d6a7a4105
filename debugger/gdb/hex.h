// Hexadecimal text of the remote protocol: numbers, and bytes two digits each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gdbstub {

// The value of a hex digit, or -1.
int hex_digit(char c);
// A whole hex number of at least one digit that fits 32 bits (leading zeros
// allowed); nothing else in `text`.
std::optional<uint32_t> parse_hex(std::string_view text);
// Bytes written two hex digits each; nothing for an odd count or a non-digit.
std::optional<std::vector<uint8_t>> parse_hex_bytes(std::string_view text);

// Lower-case digits: a byte as two, a 32-bit value as eight (high first).
void append_hex8(std::string& out, uint8_t value);
void append_hex32(std::string& out, uint32_t value);

}  // namespace gdbstub
