// The byte image of a save state: the codec over the state's field list, and
// the checks of the fields whose values have a fixed range. The reader checks
// everything before it fills in anything.
#include <zlib.h>

#include "save_state.h"

uint32_t save_state::codec::crcOf(const uint8_t* data, size_t size) {
    return static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), data, static_cast<uInt>(size)));
}

namespace {

using save_state::codec::refuse;

// The fields with a fixed range hold values the machine can have.
bool checkValues(const BoardState& s, std::string& error) {
    constexpr uint16_t kSrBits = 0xA71F;  // T, S, the interrupt mask, X N Z V C
    if (s.sr & ~kSrBits)
        return refuse(error, "is damaged: its SR 0x%04X has bits the 68000 does not have", s.sr);
    if (s.nextInterrupt != 0 && (s.nextInterrupt < 26 || s.nextInterrupt > 28))
        return refuse(error, "is damaged: its next interrupt vector %u is not 0, 26, 27 or 28", s.nextInterrupt);
    if (s.testMode > 1)
        return refuse(error, "is damaged: its service-mode flag is %u, not 0 or 1", s.testMode);
    if (static_cast<uint8_t>(s.speed) > static_cast<uint8_t>(Speed::Unlimited))
        return refuse(error, "is damaged: its speed %u is not 0 (60 fps), 1 (30 fps) or 2 (unlimited)",
                      static_cast<unsigned>(s.speed));
    return true;
}

}  // namespace

std::vector<uint8_t> encodeState(const BoardState& state, uint64_t romSetHash) {
    return save_state::encodeImage(save_state::kFields, state, save_state::kFormatVersion, romSetHash);
}

bool decodeState(const uint8_t* image, size_t size, uint64_t romSetHash, BoardState& state,
                 std::string& error) {
    BoardState decoded;
    if (!save_state::decodeImage(save_state::kFields, save_state::kFormatVersion, image, size, romSetHash, decoded,
                                 error) ||
        !checkValues(decoded, error))
        return false;
    state = decoded;
    return true;
}
