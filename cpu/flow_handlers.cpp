// The handlers of the instructions the flow hook hears of (JSR, BSR, RTS,
// RTR, RTE): each runs the plain instruction, then reports it. They stand
// in the dispatch table only while a hook is set, so that without one the
// core runs exactly its plain handlers.
#include <array>

#include "dispatch_table.h"
#include "handler.h"
#include "s68000_debug.h"

namespace m68k {

namespace {

constexpr bool reports(Op op) {
    return op == Op::Jsr || op == Op::Bsr || op == Op::Rts || op == Op::Rtr || op == Op::Rte;
}

// The bytes a call instruction's extension words take (its return address
// is its opcode's address + 2 + these).
constexpr uint32_t extension_bytes(const Decoded& d) {
    if (d.op == Op::Bsr) return d.size == 2 ? 2 : 0;
    switch (d.ea) {
        case EA_IND: return 0;
        case EA_ABSL: return 4;
        default: return 2;
    }
}

template <uint16_t OP>
void flow_handler(uint32_t op, uintptr_t pc, int32_t R) {
    constexpr Decoded d = decode(OP);
    Run r{pc, R};
    const uint32_t back = pc_address(r) + extension_bytes(d);
    const Flow f = instruction<OP>(r, op);
    if constexpr (d.op == Op::Jsr || d.op == Op::Bsr) {
        report_flow(S68000FlowKind::Call, back, r.pc, r.R);
    } else if constexpr (d.op == Op::Rte) {
        // In user mode RTE takes the privilege violation (reported as an exception).
        if (f == Flow::CheckPoint) report_flow(S68000FlowKind::ExceptionReturn, 0, r.pc, r.R);
    } else {
        report_flow(S68000FlowKind::Return, 0, r.pc, r.R);
    }
    if (f == Flow::Next) [[likely]]
        M68K_NEXT(r);
    M68K_MUSTTAIL return special_flow(static_cast<uint32_t>(f), r.pc, r.R);
}

// The first opcodes of the handlers that report: JSR, RTS, RTR, RTE in line
// 4, BSR in line 6.
constexpr size_t kFlowOpcodes = [] {
    size_t n = 0;
    for (unsigned op = 0x4000; op < 0x7000; ++op)
        if (reports(decode(static_cast<uint16_t>(op)).op) && canonical(static_cast<uint16_t>(op)) == op) ++n;
    return n;
}();

constexpr auto flow_opcodes() {
    std::array<uint16_t, kFlowOpcodes> ops{};
    size_t i = 0;
    for (unsigned op = 0x4000; op < 0x7000; ++op)
        if (reports(decode(static_cast<uint16_t>(op)).op) && canonical(static_cast<uint16_t>(op)) == op)
            ops[i++] = static_cast<uint16_t>(op);
    return ops;
}

constexpr auto kOps = flow_opcodes();

template <size_t... I>
constexpr std::array<Handler, sizeof...(I)> make_flow_handlers(std::index_sequence<I...>) {
    return {{&flow_handler<kOps[I]>...}};
}
constexpr auto kHandlers = make_flow_handlers(std::make_index_sequence<kOps.size()>());

}  // namespace

void install_flow_handlers(Handler* table, bool reporting) {
    for (unsigned op = 0x4000; op < 0x7000; ++op) {
        const uint16_t first = canonical(static_cast<uint16_t>(op));
        for (size_t i = 0; i < kOps.size(); ++i)
            if (kOps[i] == first) table[op] = reporting ? kHandlers[i] : plain_handler(first);
    }
}

}  // namespace m68k

void s68000setFlowHook(s68000_flow_hook hook) {
    using namespace m68k;
    if ((hook != nullptr) != flow_hooked()) install_flow_handlers(dispatch_entries(), hook != nullptr);
    flow_hook = hook;
}

s68000_flow_hook s68000flowHook() { return m68k::flow_hook; }
