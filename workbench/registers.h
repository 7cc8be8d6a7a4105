// The 68000's registers in a snapshot by index, as the CPU panel shows and
// edits them (D0-D7, A0-A7, then the PC, SR and the other stack pointer:
// the indices of Command::index for SetRegister).
#pragma once

#include <cstdint>

#include "save_state.h"

namespace workbench {

constexpr int kRegisterPc = 16, kRegisterSr = 17, kRegisterOtherStack = 18, kRegisterCount = 19;

uint32_t registerValue(const BoardState& cpu, int index);

// Whether register `index` differs between two snapshots' states (the
// panel's highlight of the registers changed since the last stop).
inline bool registerChanged(const BoardState& before, const BoardState& now, int index) {
    return registerValue(before, index) != registerValue(now, index);
}

}  // namespace workbench
