// The 68000's address map: where each memory and port of the board sits,
// first and last address included. The board's region tables, the memories'
// sizes, the save state's layout and the workbench's memory view take their
// ranges from here.
#pragma once

#include <cstddef>
#include <cstdint>

struct AddressRange {
    uint32_t low, high;  // both included

    constexpr size_t size() const { return size_t{high} - low + 1; }
    constexpr bool holds(uint32_t address) const { return address >= low && address <= high; }
};

namespace address_map {

constexpr AddressRange kProgramRom{0x000000, 0x03FFFF};
constexpr AddressRange kWorkRam{0x100000, 0x103FFF};
constexpr AddressRange kWatchdog{0x200000, 0x200001};
constexpr AddressRange kSound{0x300000, 0x300001};
constexpr AddressRange kInterruptEnable{0x400000, 0x400001};
constexpr AddressRange kInputPorts{0x500000, 0x500005};
constexpr AddressRange kPaletteRam{0x600000, 0x6001FF};
constexpr AddressRange kSpriteRam{0x700000, 0x701DFF};
constexpr AddressRange kIrq4Acknowledge{0x800000, 0x800003};
constexpr AddressRange kIrq3Acknowledge{0x900000, 0x900003};
constexpr AddressRange kIrq2Acknowledge{0xA00000, 0xA00003};

}  // namespace address_map
