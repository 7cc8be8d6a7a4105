// Lines 1 to 3: MOVE (a destination of mode 1 prints as MOVE too).
#include <cstring>

#include "disasm.h"
#include "formatters.h"

namespace {

// The source's words come before the destination's.
void move(const char* mnemonic) {
    debug_ea(inst);
    char source[sizeof eabuffer];
    std::memcpy(source, eabuffer, sizeof source);
    unsigned destination_mode = (inst >> 6) & 7;
    debug_ea(destination_mode * 8 + op_register());
    debug_text("%s  %s,%s", mnemonic, source, eabuffer);
}

}  // namespace

void m68_move____b() { move("move.b"); }
void m68_move____w() { move("move  "); }
void m68_move____l() { move("move.l"); }
