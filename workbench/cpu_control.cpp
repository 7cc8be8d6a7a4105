#include "cpu_control.h"

#include <cstdio>

#include "cpudebug.h"
#include "disasm.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace workbench {

ListingLine disassembleAt(uint32_t address) {
    ListingLine line;
    line.address = address & 0xFFFFFF;
    debugpc = line.address;
    isize = 0;
    inst = debug_next_word();
    debugmap[inst >> 6]();
    line.length = static_cast<uint32_t>(isize);
    line.text = sdebug;
    for (uint32_t at = 0; at < line.length; at += 2) {
        char word[8];
        std::snprintf(word, sizeof word, at ? " %04X" : "%04X", s68000fetch(line.address + at) & 0xFFFF);
        line.words += word;
    }
    return line;
}

ListingLine lineAt(uint32_t address, const CodeDataLog* log) {
    if (!log || !log->isData(address)) return disassembleAt(address);
    ListingLine line;
    line.address = address & 0xFFFFFF;
    line.length = 2;
    line.data = true;
    char text[24];
    const uint32_t word = s68000fetch(line.address) & 0xFFFF;
    std::snprintf(text, sizeof text, "dc.w $%04X", word);
    line.text = text;
    std::snprintf(text, sizeof text, "%04X", word);
    line.words = text;
    return line;
}

std::vector<ListingLine> listingFrom(uint32_t start, int count, const CodeDataLog* log) {
    std::vector<ListingLine> lines;
    lines.reserve(count > 0 ? count : 0);
    for (int i = 0; i < count; ++i) {
        lines.push_back(lineAt(start, log));
        start += lines.back().length;
    }
    return lines;
}

bool isCall(uint16_t opcode) {
    return (opcode & 0xFFC0) == 0x4E80     // JSR
           || (opcode & 0xFF00) == 0x6100  // BSR
           || (opcode & 0xFFF0) == 0x4E40; // TRAP
}

bool isReturn(uint16_t opcode) { return opcode == 0x4E75 || opcode == 0x4E77 || opcode == 0x4E73; }

namespace {
uint16_t opcodeAt(uint32_t pc) { return static_cast<uint16_t>(s68000fetch(pc)); }
}  // namespace

Goal planGoal(GoalKind kind, uint32_t target) {
    const s68000context& c = _s68000context;
    Goal goal;
    goal.kind = kind;
    goal.stack = c.areg[7];
    goal.address = target & 0xFFFFFF;
    if (kind == GoalKind::Over) {
        if (isCall(opcodeAt(c.pc))) goal.address = (c.pc + disassembleAt(c.pc).length) & 0xFFFFFF;
        else goal.kind = GoalKind::Step;
    }
    return goal;
}

void execOne() {
    const bool heard = s68000accessHook() != nullptr;
    if (heard) s68000armWatchpoints();
    s68000exec(1);
    if (!heard) return;
    s68000disarmWatchpoints();
    uint32_t address;
    int kinds;
    s68000takeWatchHit(&address, &kinds);  // a step is no watchpoint's stop
}

RunEnd runToward(Goal& goal, int32_t cycles, int32_t& used) {
    s68000context& c = _s68000context;
    used = 0;
    do {
        const uint32_t pc = c.pc & 0xFFFFFF;
        if (goal.started) {
            if ((goal.kind == GoalKind::Over || goal.kind == GoalKind::ToAddress) && pc == goal.address &&
                (goal.kind == GoalKind::ToAddress || c.areg[7] >= goal.stack))
                return RunEnd::Reached;
        } else {
            s68000stepOverBreakpoint(pc);  // the instruction it stands on runs
        }
        const bool leaving = goal.kind == GoalKind::Out && isReturn(opcodeAt(pc)) && c.areg[7] >= goal.stack;
        s68000takeBreakpointStop();
        const uint32_t before = s68000readOdometer();
        execOne();
        used += static_cast<int32_t>(s68000readOdometer() - before);
        if (s68000takeBreakpointStop()) return RunEnd::Breakpoint;
        goal.started = true;
        if (goal.kind == GoalKind::Step || leaving) return RunEnd::Reached;
    } while (used < cycles);
    return RunEnd::Budget;
}

}  // namespace workbench
