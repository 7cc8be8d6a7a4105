#include "packet_framing.h"

#include <cstdint>

#include "hex.h"

namespace gdbstub {

std::string frame_packet(std::string_view payload) {
    std::string out = "$";
    out.reserve(payload.size() + 4);
    uint8_t sum = 0;
    auto put = [&](char c) {
        out += c;
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    };
    for (char c : payload) {
        if (c == '$' || c == '#' || c == '}' || c == '*') {
            put('}');
            put(static_cast<char>(c ^ 0x20));
        } else {
            put(c);
        }
    }
    out += '#';
    append_hex8(out, sum);
    return out;
}

}  // namespace gdbstub
