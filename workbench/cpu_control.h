// The workbench's hold on the 68000, on the thread that runs the core (the
// emulation thread, between or inside slices): instructions listed with the
// project's disassembler, and runs toward a goal one instruction at a time:
// a step, a step over a call (JSR, BSR, TRAP run to their return), a step
// out of the current routine (to its RTS, RTR or RTE), or to an address.
#pragma once

#include <cstdint>
#include <vector>

#include "code_data_log.h"
#include "snapshot.h"

namespace workbench {

ListingLine disassembleAt(uint32_t address);
// The line at `address`: "dc.w" for a word the code/data log (when given)
// has as data, else the instruction.
ListingLine lineAt(uint32_t address, const CodeDataLog* log);
// `count` lines from `start`, one after the other.
std::vector<ListingLine> listingFrom(uint32_t start, int count, const CodeDataLog* log = nullptr);

bool isCall(uint16_t opcode);    // JSR, BSR, TRAP
bool isReturn(uint16_t opcode);  // RTS, RTR, RTE

enum class GoalKind { Step, Over, Out, ToAddress };

struct Goal {
    GoalKind kind = GoalKind::Step;
    uint32_t address = 0;  // Over: the return address; ToAddress: the target
    uint32_t stack = 0;    // A7 when the goal was set
    bool started = false;  // the first instruction has run
};

// A goal from the CPU as it stands (`target` for ToAddress). A step over an
// instruction that calls nothing is a step.
Goal planGoal(GoalKind kind, uint32_t target = 0);

// One instruction (s68000exec(1)), with its data accesses heard by the
// access hook while one is set.
void execOne();

enum class RunEnd { Reached, Breakpoint, Budget };

// Runs instructions while `cycles` last (at least one instruction) until the
// goal is reached or a breakpoint other than at the starting instruction is
// met. `used` gets the cycles run.
RunEnd runToward(Goal& goal, int32_t cycles, int32_t& used);

}  // namespace workbench
