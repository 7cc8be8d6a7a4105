#include "packet_reader.h"

#include "hex.h"

namespace gdbstub {

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
