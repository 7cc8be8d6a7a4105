// Public interface of the 68000 core: the context record, the region lists the
// host describes its address space with, and the core's entry points.
//
// Memory image format. The 68000 is big-endian, the host little-endian. Every
// memory image (program and data regions alike) stores each 68000 word, the
// bytes at an even address A and A+1, as one host-order 16-bit value at image
// offset A - low_address. So the byte at 68000 address A lies at its image
// position with the lowest address bit inverted, and a long at A is the word
// at A (upper half) followed by the word at A+2 (lower half).
//
// Odd addresses. The core raises no address error. A word or long access at
// an odd address A acts on the word at A with bit 0 cleared (and, for a long,
// the word after it). An instruction fetched from an odd PC reads the image at
// the odd position. Neither ever touches a byte outside an image: a region
// whose bounds are not even..odd serves only the bytes inside its image, and
// an instruction whose words run past the end of its program region takes the
// missing words from the program region that follows (0xFFFF where none does).
//
// Region lists and caching. Every data access is served by the first record
// of its current list, in list order, whose range holds the address. During
// a slice the core keeps the direct regions each data list served last and
// serves later accesses inside them without searching the list; what it
// serves is always what a search would give. A host may change the lists,
// their records (in place or not), the images they point to and the list
// pointers in the context:
// - between calls of the entry points, in any way: each call starts with
//   nothing cached, as after s68000SetContext and s68000reset;
// - from a memory handler or the reset handler during a slice, in any way:
//   the access after the handler returns searches its list afresh. The access
//   under way goes on with the record it found (a long access to a handler
//   region calls that record's handler again for its second word);
// - through the emulated program, when a direct region maps the memory that
//   holds records or the context's list pointers: the next access sees what
//   the program wrote.
#pragma once

#include <cstddef>
#include <cstdint>

struct data_region;

// A program region: instruction words are read straight from its image.
struct program_region {
    uint32_t low_address;   // first 68000 address
    uint32_t high_address;  // last 68000 address, inclusive
    uintptr_t offset;       // host address of the image minus low_address (wrapping)
};

// Handlers of data regions. The address has its top 8 bits cleared; a read
// handler's result is cut to 8 or 16 bits, a write handler gets the byte or
// word zero-extended.
using s68000_read_handler = uint32_t (*)(uint32_t address, data_region* region);
using s68000_write_handler = void (*)(uint32_t address, uint32_t data, data_region* region);
// Either kind, stored in a region record: read lists hold read handlers and
// write lists write handlers.
using s68000_handler = void (*)();

// A data region: backed directly by a memory image (handler null) or served by
// a handler.
struct data_region {
    uint32_t low_address;    // first 68000 address
    uint32_t high_address;   // last 68000 address, inclusive
    s68000_handler handler;  // null for a direct region
    void* user_data;         // direct: host address of the image at low_address
};

// Region records for the host's lists. A list ends with s68000_end_*().
inline program_region s68000_program(uint32_t low, uint32_t high, void* image) {
    return {low, high, reinterpret_cast<uintptr_t>(image) - low};
}
constexpr program_region s68000_program_end() { return {0xFFFFFFFFu, 0xFFFFFFFFu, 0}; }
inline data_region s68000_direct(uint32_t low, uint32_t high, void* image) {
    return {low, high, nullptr, image};
}
inline data_region s68000_reader(uint32_t low, uint32_t high, s68000_read_handler fn) {
    return {low, high, reinterpret_cast<s68000_handler>(fn), nullptr};
}
inline data_region s68000_writer(uint32_t low, uint32_t high, s68000_write_handler fn) {
    return {low, high, reinterpret_cast<s68000_handler>(fn), nullptr};
}
inline data_region s68000_data_end() { return {0xFFFFFFFFu, 0xFFFFFFFFu, nullptr, nullptr}; }

using s68000_reset_handler = void (*)();

// The processor's whole state. Field order and meaning are fixed; host
// addresses are pointer-sized, so the record is s68000GetContextSize() bytes.
struct s68000context {
    program_region* fetch;  // current lists (copies of the s_ or u_ set)
    data_region* readbyte;
    data_region* readword;  // also long reads
    data_region* writebyte;
    data_region* writeword;  // also long writes
    program_region* s_fetch;  // supervisor set
    data_region* s_readbyte;
    data_region* s_readword;
    data_region* s_writebyte;
    data_region* s_writeword;
    program_region* u_fetch;  // user set
    data_region* u_readbyte;
    data_region* u_readword;
    data_region* u_writebyte;
    data_region* u_writeword;
    s68000_reset_handler resethandler;  // called by RESET; null when none
    uint32_t dreg[8];                   // D0-D7
    uint32_t areg[8];                   // A0-A7; A7 is the active stack pointer
    uint32_t asp;                       // inactive stack pointer (USP in supervisor mode)
    uint32_t pc;                        // current between s68000exec calls
    uint32_t odometer;                  // cycles since the last trip
    uint8_t interrupts[8];  // [0]: bit 0 stopped, bit n level n pending; [n]: vector of level n
    uint16_t sr;
    uint16_t contextfiller00;

    uint32_t& a7() { return areg[7]; }
    const uint32_t& a7() const { return areg[7]; }
};

extern s68000context _s68000context;

// Exit codes of s68000exec.
constexpr uint32_t S68000_EXIT_OK = 0x80000000u;          // budget used or slice ended early
constexpr uint32_t S68000_EXIT_NO_REGION = 0x80000001u;   // PC lies in no program region
constexpr uint32_t S68000_EXIT_FAULTED = 0xFFFFFFFFu;     // faulted state; nothing ran
// Any value below 0x01000000: address of an instruction that could not run.

int s68000init();
// Reads the initial SSP and PC from the image of the supervisor program
// region that holds address 0; refused (1) when there is none or it holds
// fewer than the vectors' 8 bytes.
int s68000reset();
// Budgets of 0 or less run one instruction; budgets above 0x7FFF0000 run as
// 0x7FFF0000.
uint32_t s68000exec(int32_t cycles);
int s68000interrupt(int level, int vector);
void s68000flushInterrupts();
int s68000GetContextSize();
int s68000GetContext(void* context);
int s68000SetContext(const void* context);
uint32_t s68000fetch(uint32_t address);
uint32_t s68000readOdometer();
uint32_t s68000tripOdometer();
uint32_t s68000controlOdometer(int flag);
void s68000releaseTimeslice();
uint32_t s68000readPC();
