// The dispatch table and its compressed image, for the core and for tests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core_state.h"
#include "s68000_debug.h"

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

// The access hook, and the address of the instruction the dispatch check
// last let run (the `pc` of the data accesses it makes).
extern s68000_access_hook access_hook M68K_HIDDEN;
extern uint32_t access_pc M68K_HIDDEN;
// Puts the dispatch check in every entry of jmptbl while a breakpoint is set
// or the access hook needs it, and takes it away when neither does.
void update_dispatch_check() M68K_HIDDEN;

}  // namespace m68k
