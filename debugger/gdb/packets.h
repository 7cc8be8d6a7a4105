// The packet layer of the remote serial protocol: the hexadecimal text its
// numbers and bytes are written in, packets framed for sending, and the
// client's bytes cut into packets ("$payload#cs"), acknowledgements and the
// interrupt byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gdbstub {

// ---- Hexadecimal text: numbers, and bytes two digits each ----

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

// ---- Outgoing ----

// "$payload#cs", with '$', '#', '}' and '*' of the payload escaped as '}'
// and the character xor 0x20, the checksum taken over what is sent.
std::string frame_packet(std::string_view payload);

// ---- Incoming: anything between packets that is none of these is noise
// and ignored ----

struct PacketEvent {
    enum Kind {
        Packet,       // payload with a correct checksum
        BadChecksum,  // a packet whose checksum does not match (or is not hex)
        TooLong,      // a packet longer than the reader keeps; its payload is dropped
        Ack,          // '+'
        Nak,          // '-': the client wants our last packet again
        Interrupt,    // 0x03 between packets: stop the running target
    } kind;
    std::string payload;  // of a Packet
};

class PacketReader {
public:
    // The longest payload kept, as announced to the client.
    static constexpr size_t kMaxPayload = 4096;

    // Takes one byte; true when it completes an event, stored in `event`.
    bool feed(char c, PacketEvent& event);

private:
    enum class State { Between, Payload, FirstDigit, SecondDigit } state_ = State::Between;
    std::string payload_;
    uint8_t sum_ = 0;
    bool too_long_ = false;
    int first_digit_ = 0;
};

}  // namespace gdbstub
