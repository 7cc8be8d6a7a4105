#include "packets.h"

namespace gdbstub {

// ---- Hexadecimal text ----

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

// ---- Outgoing ----

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

// ---- Incoming ----

bool PacketReader::feed(char c, PacketEvent& event) {
    switch (state_) {
        case State::Between:
            switch (c) {
                case '$':
                    state_ = State::Payload;
                    payload_.clear();
                    sum_ = 0;
                    too_long_ = false;
                    return false;
                case '+': event = {PacketEvent::Ack, {}}; return true;
                case '-': event = {PacketEvent::Nak, {}}; return true;
                case '\x03': event = {PacketEvent::Interrupt, {}}; return true;
                default: return false;
            }
        case State::Payload:
            if (c == '#') {
                state_ = State::FirstDigit;
                return false;
            }
            if (c == '$') {  // a new start: the unfinished packet is dropped
                payload_.clear();
                sum_ = 0;
                too_long_ = false;
                return false;
            }
            sum_ = static_cast<uint8_t>(sum_ + static_cast<uint8_t>(c));
            if (payload_.size() < kMaxPayload)
                payload_ += c;
            else
                too_long_ = true;
            return false;
        case State::FirstDigit:
            first_digit_ = hex_digit(c);
            state_ = State::SecondDigit;
            return false;
        case State::SecondDigit: {
            state_ = State::Between;
            const int second = hex_digit(c);
            if (first_digit_ < 0 || second < 0 || (first_digit_ << 4 | second) != sum_) {
                event = {PacketEvent::BadChecksum, {}};
            } else if (too_long_) {
                event = {PacketEvent::TooLong, {}};
            } else {
                event = {PacketEvent::Packet, std::move(payload_)};
            }
            payload_.clear();
            return true;
        }
    }
    return false;
}

}  // namespace gdbstub
