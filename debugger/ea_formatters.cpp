// Effective-address formatters: one per mode and register, in the table
// `eacalc` indexed by mode * 8 + register. Each reads its extension words and
// leaves the operand text in eabuffer.
#include <array>
#include <cstddef>
#include <utility>

#include "disasm.h"

namespace {

template <int Mode, int Reg>
void ea_mode_register() {
    if constexpr (Mode == 0) {
        debug_ea_text("d%d", Reg);
    } else if constexpr (Mode == 1) {
        debug_ea_text("a%d", Reg);
    } else if constexpr (Mode == 2) {
        debug_ea_text("(a%d)", Reg);
    } else if constexpr (Mode == 3) {
        debug_ea_text("(a%d)+", Reg);
    } else if constexpr (Mode == 4) {
        debug_ea_text("-(a%d)", Reg);
    } else if constexpr (Mode == 5) {
        int32_t displacement = static_cast<int16_t>(debug_next_word());
        debug_ea_text("%c$%04X(a%d)", sign_char(displacement), magnitude(displacement), Reg);
    } else {
        static_assert(Mode == 6);
        // Brief extension word: index kind, number and size, 8-bit displacement.
        uint16_t extension = debug_next_word();
        int32_t displacement = static_cast<int8_t>(extension & 0xFF);
        debug_ea_text("%c$%02X(a%d,%c%d.%c)", sign_char(displacement), magnitude(displacement), Reg,
                      (extension & 0x8000) ? 'a' : 'd', (extension >> 12) & 7,
                      (extension & 0x0800) ? 'l' : 'w');
    }
}

void eacalcspecial_abshort() { debug_ea_text("($%04X)", debug_next_word()); }

void eacalcspecial_abslong() {
    uint32_t high = debug_next_word();
    uint32_t low = debug_next_word();
    debug_ea_text("($%06X)", (high << 16) | low);
}

void eacalcspecial_pci_dis() {
    uint32_t base = debugpc;  // address of the extension word
    int32_t displacement = static_cast<int16_t>(debug_next_word());
    debug_ea_text("$%06X(pc)", base + static_cast<uint32_t>(displacement));
}

void eacalcspecial_pci_ind() {
    uint32_t base = debugpc;
    uint16_t extension = debug_next_word();
    int32_t displacement = static_cast<int8_t>(extension & 0xFF);
    debug_ea_text("$%06X(pc,%c%d)", base + static_cast<uint32_t>(displacement),
                  (extension & 0x8000) ? 'a' : 'd', (extension >> 12) & 7);
}

// Immediate data, as wide as the instruction group's operand size.
void eacalcspecial_immdata() {
    switch (opsize[inst >> 6]) {
    case 1:
        debug_ea_text("#$%02X", debug_next_word() & 0xFF);
        break;
    case 2:
        debug_ea_text("#$%04X", debug_next_word());
        break;
    default: {
        uint32_t high = debug_next_word();
        uint32_t low = debug_next_word();
        debug_ea_text("#$%08X", (high << 16) | low);
        break;
    }
    }
}

void eacalcspecial_unknown() { debug_ea_text("*** UNKNOWN EA MODE ***"); }

template <std::size_t... Field>
constexpr std::array<debug_formatter, 64> make_eacalc(std::index_sequence<Field...>) {
    return {{&ea_mode_register<Field / 8, Field % 8>...}};  // modes 0 to 6; mode 7 filled below
}

constexpr std::array<debug_formatter, 64> build_eacalc() {
    std::array<debug_formatter, 64> table = make_eacalc(std::make_index_sequence<56>());
    table[070] = &eacalcspecial_abshort;
    table[071] = &eacalcspecial_abslong;
    table[072] = &eacalcspecial_pci_dis;
    table[073] = &eacalcspecial_pci_ind;
    table[074] = &eacalcspecial_immdata;
    table[075] = table[076] = table[077] = &eacalcspecial_unknown;
    return table;
}

}  // namespace

constexpr std::array<debug_formatter, 64> eacalc = build_eacalc();
