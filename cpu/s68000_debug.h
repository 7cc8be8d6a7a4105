// What a debugger needs from the core: breakpoints that the run loop checks,
// watchpoints on data accesses, and registers and memory reached as the CPU
// reaches them. Everything here is for use between slices, on the thread
// that runs the core. None of it costs anything while no breakpoint and no
// watchpoint is set.
#pragma once

#include <cstdint>

// ---- Breakpoints ----
//
// While at least one breakpoint is set, every dispatch first compares the
// instruction's address (24 bits) with the table; an instruction at a
// breakpoint does not run: s68000exec returns with its address as the exit
// code ("an instruction that could not run") and pc pointing at it.

constexpr int S68000_MAX_BREAKPOINTS = 64;

// 0: set (or already set); 1: the table is full.
int s68000setBreakpoint(uint32_t address);
// 0: removed; 1: there was none at the address.
int s68000clearBreakpoint(uint32_t address);
void s68000clearBreakpoints();
int s68000breakpointCount();
// The address of breakpoint `index` (0 to count - 1): 0, or 1 when there
// is no such breakpoint. Every debugger sees the same table.
int s68000breakpointAt(int index, uint32_t* address);
// Whether the last s68000exec ended at a breakpoint (rather than at an
// instruction that could not run, such as RESET without a handler); the
// answer is given once, then forgotten.
bool s68000takeBreakpointStop();
// The instruction at `address` runs even though it holds a breakpoint, if it
// is the first instruction the next s68000exec dispatches: how a debugger
// resumes from a breakpoint.
void s68000stepOverBreakpoint(uint32_t address);

// ---- Watchpoints ----
//
// A watchpoint covers `length` bytes from `address` (24 bits, no wrap past
// 0xFFFFFF) for reads, writes or both. While armed, the context's data lists
// are replaced by copies that send every access to a watched region through
// a handler; it performs the access exactly as the host's list would, notes
// the first access that touches a watched byte and ends the slice after the
// instruction.

constexpr int S68000_MAX_WATCHPOINTS = 16;
constexpr int S68000_WATCH_READ = 1;
constexpr int S68000_WATCH_WRITE = 2;

// 0: set (or already set); 1: the table is full; 2: bad argument.
int s68000setWatchpoint(uint32_t address, uint32_t length, int kinds);
// 0: removed; 1: no such watchpoint.
int s68000clearWatchpoint(uint32_t address, uint32_t length, int kinds);
void s68000clearWatchpoints();
int s68000watchpointCount();
// Watchpoint `index` (0 to count - 1): 0, or 1 when there is none.
int s68000watchpointAt(int index, uint32_t* address, uint32_t* length, int* kinds);
// Before a slice: stores the watching lists in the context in place of the
// host's (nothing while no watchpoint is set). After it: the host's lists
// back, with any change of mode the slice made.
void s68000armWatchpoints();
void s68000disarmWatchpoints();
// The first watched access of the last armed slices: its address, clipped
// into the watchpoint that saw it, and that watchpoint's kinds. Given once,
// then forgotten.
bool s68000takeWatchHit(uint32_t* address, int* kinds);

// ---- Running under a debugger ----
//
// How a debugger runs the program so that its stops change nothing: a run
// that stops at a breakpoint or a watched access and goes on from there
// executes exactly what one uninterrupted s68000exec would. The places a
// debugger stops at are the instruction boundaries and the taking of an
// interrupt; the cycles a stopped processor (STOP) passes idle are none.

// Whether an exit code of s68000exec is an instruction's address (one that
// could not run, or a breakpoint) rather than one of the S68000_EXIT codes.
constexpr bool s68000exitIsAddress(uint32_t code) { return code < 0x01000000u; }

// A slice as s68000exec runs it, but through the breakpoints (the
// instruction at one runs) and, when `hits` is given, with the watchpoints
// armed: each breakpoint reached and each watched access adds one to *hits.
uint32_t s68000execThrough(int32_t cycles, uint32_t* hits);

// What one debugger step met.
enum class S68000Step {
    Interrupt,    // a due interrupt was taken: the handler's first instruction is next
    Instruction,  // one instruction ran
    Idle,         // the processor is stopped (STOP): nothing ran
    Stuck,        // the instruction could not run (no program region, faulted, unknown)
};
struct S68000StepHit {
    bool breakpoint = false;  // the instruction stood at a breakpoint
    bool watched = false;     // it made a watched access
    uint32_t address = 0;     // of that access (s68000takeWatchHit)
    int kinds = 0;
};
// One step of a debugger, between slices: a due interrupt taken, else one
// instruction, run even at a breakpoint, with the watchpoints armed. `hit`
// says what the instruction met.
S68000Step s68000step(S68000StepHit& hit);

// ---- Registers and memory ----

// Installs a status register as the CPU does (unassigned bits cleared; a
// change of S swaps the stack pointers and the region lists).
void s68000setSR(uint16_t value);
// Data accesses through the current lists, as an instruction makes them:
// handlers see them, unmapped reads give all ones, unmapped writes are
// dropped. Words at odd addresses follow the core's rule.
uint32_t s68000readByte(uint32_t address);
uint32_t s68000readWord(uint32_t address);
void s68000writeByte(uint32_t address, uint32_t value);
void s68000writeWord(uint32_t address, uint32_t value);

// ---- Flow of control ----
//
// While a hook is set, the core tells it of every change of flow a profiler
// or call stack follows, as executed: JSR and BSR (Call), RTS and RTR
// (Return), RTE (ExceptionReturn), and the start of every exception, an
// interrupt's included (Exception). Setting one puts handlers that report
// in the dispatch table's entries of those instructions; unset (null, the
// default) the table holds the plain ones and the instructions cost nothing
// more. Called on the thread that runs the core, from inside a slice; the
// hook must not call the core's entry points.

enum class S68000FlowKind : uint8_t { Call, Return, Exception, ExceptionReturn };
struct S68000Flow {
    S68000FlowKind kind;
    uint8_t vector;   // Exception: the vector number taken
    uint8_t level;    // Exception: the interrupt's level, 0 for other exceptions
    uint32_t from;    // Call: the return address it pushed; Exception: the PC it pushed; else 0
    uint32_t to;      // where control goes: the callee, return address or handler
    uint32_t sp;      // A7 once the instruction or the exception's push is done
    // The odometer then (s68000readOdometer): a call's or return's own cycles
    // included, an exception's processing cycles not yet.
    uint32_t cycles;
    bool operator==(const S68000Flow&) const = default;
};
using s68000_flow_hook = void (*)(const S68000Flow& flow);
// Between slices, after s68000init (which keeps the hook set).
void s68000setFlowHook(s68000_flow_hook hook);
s68000_flow_hook s68000flowHook();

// ---- Access hook ----
//
// While a hook is set, the core tells it of every instruction it executes
// (Execute: the opcode's address, before the instruction runs; one stopped
// at a breakpoint is not executed) and of every data access an instruction
// or an exception makes (Read and Write: a byte or a word, after the access,
// with the value moved; a long access is its two words, as the bus makes
// them). Data accesses are seen in armed
// slices only (s68000armWatchpoints), where every record of the lists is
// wrapped as a watched one is. Unset (null, the default), nothing is
// checked and nothing wrapped. Called on the thread that runs the core, from
// inside a slice; the hook must not call the core's entry points.

enum class S68000AccessKind : uint8_t { Execute, Read, Write };
struct S68000Access {
    S68000AccessKind kind;
    uint8_t bytes;     // 1 or 2 (Execute: 2, the opcode word)
    uint32_t address;  // 24 bits
    uint32_t value;    // the byte or word moved; Execute: the opcode
    uint32_t pc;       // the address of the instruction executing then
    uint32_t cycles;   // the odometer then (s68000readOdometer)
    bool operator==(const S68000Access&) const = default;
};
using s68000_access_hook = void (*)(const S68000Access& access);
// Between slices; s68000init keeps it set.
void s68000setAccessHook(s68000_access_hook hook);
s68000_access_hook s68000accessHook();
