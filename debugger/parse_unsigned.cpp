// The monitor's number conversion, with the results of a 32-bit strtoul
// whatever the host's long is.
#include "monitor.h"

namespace {

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

bool is_digit(char c, int base) { return digit_value(c) < base; }

}  // namespace

bool parse_unsigned(const char* text, int base, uint32_t* value) {
    const char* p = text;
    while (is_space(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // "0x" counts as a prefix only when a hex digit follows; "0xg" is the number 0.
    if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && is_digit(p[2], 16)) p += 2;
    if (!is_digit(*p, base)) return false;
    uint64_t magnitude = 0;
    bool overflow = false;
    for (; is_digit(*p, base); ++p) {
        magnitude = magnitude * base + digit_value(*p);
        if (magnitude > 0xFFFFFFFFu) {
            overflow = true;
            magnitude = 0xFFFFFFFFu;  // keep it bounded; the result is saturated below
        }
    }
    if (overflow)
        *value = 0xFFFFFFFFu;
    else
        *value = negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude))
                          : static_cast<uint32_t>(magnitude);
    return true;
}
