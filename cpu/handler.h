// The instruction handler template: one instantiation per first opcode of
// the dispatch table, chaining to the next instruction by a tail call.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "instruction.h"
#include "run_loop.h"

namespace m68k {

template <uint16_t OP>
void handler(uint32_t op, uintptr_t pc, int32_t R) {
    Run r{pc, R};
    const Flow f = instruction<OP>(r, op);
    if (f == Flow::Next) [[likely]]
        M68K_NEXT(r);
    M68K_MUSTTAIL return special_flow(static_cast<uint32_t>(f), r.pc, r.R);
}

// The handlers of one line (opcode bits 15-12), by first opcode.
struct LineTable {
    const uint16_t* first_opcodes;
    const Handler* handlers;
    size_t count;
};

template <unsigned LINE>
constexpr size_t count_handlers() {
    size_t n = 0;
    for (unsigned op = LINE << 12; op < (LINE + 1) << 12; ++op)
        if (canonical(static_cast<uint16_t>(op)) == op) ++n;
    return n;
}

template <unsigned LINE>
constexpr auto first_opcodes() {
    std::array<uint16_t, count_handlers<LINE>()> ops{};
    size_t i = 0;
    for (unsigned op = LINE << 12; op < (LINE + 1) << 12; ++op)
        if (canonical(static_cast<uint16_t>(op)) == op) ops[i++] = static_cast<uint16_t>(op);
    return ops;
}

template <unsigned LINE>
struct LineHandlers {
    static constexpr auto ops = first_opcodes<LINE>();
    template <size_t... I>
    static constexpr std::array<Handler, sizeof...(I)> make(std::index_sequence<I...>) {
        return {{&handler<ops[I]>...}};
    }
    static constexpr auto fns = make(std::make_index_sequence<ops.size()>());
    static constexpr LineTable table{ops.data(), fns.data(), ops.size()};
};

extern const LineTable line_tables[16] M68K_HIDDEN;

}  // namespace m68k

// Instantiates the handlers of one line in its own translation unit.
#define M68K_HANDLERS_OF_LINE(L) \
    namespace m68k {             \
    extern const LineTable line_table_##L M68K_HIDDEN; \
    const LineTable line_table_##L = LineHandlers<L>::table; \
    }
