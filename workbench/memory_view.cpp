#include "memory_view.h"

#include <cstdio>

#include "memory_map.h"

namespace workbench {

namespace {

uint8_t wordByte(const uint16_t* words, uint32_t offset) {
    const uint16_t w = words[offset / 2];
    return static_cast<uint8_t>(offset & 1 ? w & 0xFF : w >> 8);
}

}  // namespace

std::optional<uint8_t> viewByte(const Snapshot& s, uint32_t address) {
    using namespace address_map;
    address &= 0xFFFFFF;
    if (!s.valid) return std::nullopt;
    if (kProgramRom.holds(address)) {
        if (!s.programRom || address >= s.programRom->size()) return std::nullopt;
        return (*s.programRom)[address ^ 1];  // the image keeps each word in host order
    }
    if (kWorkRam.holds(address)) return wordByte(s.state.workRam, address - kWorkRam.low);
    if (kSpriteRam.holds(address)) return wordByte(s.state.spriteRam, address - kSpriteRam.low);
    if (kPaletteRam.holds(address)) return s.state.paletteRam[address - kPaletteRam.low];
    if (kInputPorts.holds(address)) return s.state.inputPorts[address - kInputPorts.low];
    return std::nullopt;
}

bool byteChanged(const Snapshot& before, const Snapshot& now, uint32_t address) {
    const auto a = viewByte(before, address), b = viewByte(now, address);
    return a && b && *a != *b;
}

std::string dumpLine(const Snapshot& s, uint32_t address) {
    char text[96];
    int at = std::snprintf(text, sizeof text, "%06X ", address & 0xFFFFFF);
    std::string ascii;
    for (uint32_t i = 0; i < 16; ++i) {
        const auto byte = viewByte(s, address + i);
        at += std::snprintf(text + at, sizeof text - at, byte ? " %02X" : " --", byte ? *byte : 0);
        ascii += byte && *byte >= 0x20 && *byte < 0x7F ? static_cast<char>(*byte) : '.';
    }
    return std::string(text) + "  " + ascii;
}

std::optional<std::string> refuseEdit(uint32_t address) {
    address &= 0xFFFFFF;
    if (address_map::kWorkRam.holds(address) || address_map::kSpriteRam.holds(address)) return std::nullopt;
    char text[96];
    std::snprintf(text, sizeof text, "0x%06X cannot be edited: only work RAM and sprite RAM can", address);
    return std::string(text);
}

}  // namespace workbench
