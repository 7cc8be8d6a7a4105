// The incoming side of the remote serial protocol: bytes from the client cut
// into packets ("$payload#cs"), acknowledgements and the interrupt byte.
// Anything else between packets is noise and ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace gdbstub {

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
