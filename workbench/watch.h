// The watch list's entries: an address (typed, or a symbol's), a size and a
// format, read from a snapshot at each stop and each drawn frame.
#pragma once

#include <cstdint>
#include <string>

#include "snapshot.h"
#include "symbols.h"

namespace workbench {

enum class WatchFormat { Hex, Signed, Unsigned };

struct Watch {
    std::string name;  // as typed
    uint32_t address = 0;
    int size = 4;      // 1, 2 or 4 bytes
    WatchFormat format = WatchFormat::Hex;
};

// A watch for `text` (an address or symbol, see parseAddress) of `size`
// bytes; a data object of 1, 2 or 4 bytes named by the symbol gives its own
// size. None, with `error` saying why, when `text` is neither.
std::optional<Watch> makeWatch(const std::string& text, int size, WatchFormat format, const Symbols* symbols,
                               std::string& error);

// The value big-endian, as the 68000 reads it: "0x0000002A", "-3", "65533";
// "--" where the snapshot has no value (see viewByte).
std::string watchValue(const Snapshot& snapshot, const Watch& watch);

}  // namespace workbench
