#include "watch.h"

#include <cstdio>

#include "memory_view.h"

namespace workbench {

std::optional<Watch> makeWatch(const std::string& text, int size, WatchFormat format, const Symbols* symbols,
                               std::string& error) {
    const auto address = parseAddress(text, symbols, error);
    if (!address) return std::nullopt;
    Watch watch{text, *address, size == 1 || size == 2 ? size : 4, format};
    if (symbols)
        if (const auto object = symbols->objectAt(*address); object && object->address == *address &&
                                                              (object->size == 1 || object->size == 2 || object->size == 4))
            watch.size = static_cast<int>(object->size);
    return watch;
}

std::string watchValue(const Snapshot& snapshot, const Watch& watch) {
    uint32_t value = 0;
    for (int i = 0; i < watch.size; ++i) {
        const auto byte = viewByte(snapshot, watch.address + static_cast<uint32_t>(i));
        if (!byte) return "--";
        value = value << 8 | *byte;
    }
    char text[24];
    const int bits = watch.size * 8;
    switch (watch.format) {
        case WatchFormat::Hex: std::snprintf(text, sizeof text, "0x%0*X", watch.size * 2, value); break;
        case WatchFormat::Unsigned: std::snprintf(text, sizeof text, "%u", value); break;
        case WatchFormat::Signed: {
            const int64_t signedValue = static_cast<int64_t>(value) - (value >> (bits - 1) & 1 ? int64_t{1} << bits : 0);
            std::snprintf(text, sizeof text, "%lld", static_cast<long long>(signedValue));
            break;
        }
    }
    return text;
}

}  // namespace workbench
