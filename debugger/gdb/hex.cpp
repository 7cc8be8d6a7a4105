#include "hex.h"

namespace gdbstub {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<uint32_t> parse_hex(std::string_view text) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const int d = hex_digit(c);
        if (d < 0) return std::nullopt;
        value = value << 4 | static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::optional<std::vector<uint8_t>> parse_hex_bytes(std::string_view text) {
    if (text.size() % 2) return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int hi = hex_digit(text[i]);
        const int lo = hex_digit(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return bytes;
}

void append_hex8(std::string& out, uint8_t value) {
    static const char digits[] = "0123456789abcdef";
    out += digits[value >> 4];
    out += digits[value & 15];
}

void append_hex32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) append_hex8(out, static_cast<uint8_t>(value >> shift));
}

}  // namespace gdbstub
