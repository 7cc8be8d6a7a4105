// The dispatch table and its compressed image, for the core and for tests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core_state.h"

namespace m68k {

extern Handler jmptbl[65536] M68K_HIDDEN;
extern const uint32_t* const jmptblcomp;
extern const size_t jmptblcomp_records;

// The plain handler of the opcodes whose first opcode is `first`.
Handler plain_handler(uint16_t first) M68K_HIDDEN;
// The table the instructions are dispatched through: jmptbl, or while the
// breakpoint check fills it, the check's copy.
Handler* dispatch_entries() M68K_HIDDEN;
// Puts the flow hook's handlers (or the plain ones back) in `table`.
void install_flow_handlers(Handler* table, bool reporting) M68K_HIDDEN;

}  // namespace m68k
