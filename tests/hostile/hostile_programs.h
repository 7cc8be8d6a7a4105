// ROM sets whose 68000 program misbehaves: bad reset vectors, jumps into
// unmapped memory, STOP with every interrupt masked, floods of the interrupt
// ports, running off the end of the ROM, code in palette RAM or the input
// ports, writes across every region edge and a stack that runs through the
// whole address space. Hand-assembled, each word commented.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "hostile_support.h"

namespace hostile {

struct HostileProgram {
    std::string name;
    ProgramImage image;
    // The outcome line of the board's reset report.
    std::string resetOutcome;
    // What the CPU state must show after the frames have run (may be empty).
    std::function<void()> expectAfterFrames;
};

// Test parameters print as their names.
inline void PrintTo(const HostileProgram& program, std::ostream* out) { *out << program.name; }

// Every hostile program. The expectations read the board's globals, so they
// hold only in a process that links the board.
std::vector<HostileProgram> hostilePrograms();

// The 68000 word at `address` as the CPU sees it now (0xFFFF outside every
// program region).
uint16_t wordAt(uint32_t address);
uint32_t longAt(uint32_t address);

}  // namespace hostile
