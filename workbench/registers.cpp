#include "registers.h"

namespace workbench {

uint32_t registerValue(const BoardState& cpu, int index) {
    if (index >= 0 && index < 8) return cpu.dreg[index];
    if (index >= 8 && index < 16) return cpu.areg[index - 8];
    if (index == kRegisterPc) return cpu.pc & 0xFFFFFF;
    if (index == kRegisterSr) return cpu.sr;
    if (index == kRegisterOtherStack) return cpu.asp;
    return 0;
}

}  // namespace workbench
