// The register dump, the memory dump and the help text.
#include "cpudebug.h"
#include "monitor_output.h"
#include "s68000.h"

uint32_t hexaddr = 0;

namespace {

constexpr int kDumpLines = 8;
constexpr uint32_t kDumpBytes = 16 * kDumpLines;

// A word read through the program-fetch list; 0xFFFF where it fails.
uint16_t fetch_word(uint32_t address) { return static_cast<uint16_t>(s68000fetch(address)); }

char flag(uint16_t sr, int bit, char letter) { return (sr & (1u << bit)) ? letter : '-'; }

char printable(unsigned byte) { return byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '.'; }

}  // namespace

void cpudebug_registerdump() {
    const s68000context& c = _s68000context;
    monitor_print("d0=%08X   d4=%08X   a0=%08X   a4=%08X   %c%c%c%c%c\n", c.dreg[0], c.dreg[4],
                  c.areg[0], c.areg[4], flag(c.sr, 4, 'X'), flag(c.sr, 3, 'N'), flag(c.sr, 2, 'Z'),
                  flag(c.sr, 1, 'V'), flag(c.sr, 0, 'C'));
    monitor_print("d1=%08X   d5=%08X   a1=%08X   a5=%08X   intmask=%d\n", c.dreg[1], c.dreg[5],
                  c.areg[1], c.areg[5], (c.sr >> 8) & 7);
    monitor_print("d2=%08X   d6=%08X   a2=%08X   a6=%08X   ", c.dreg[2], c.dreg[6], c.areg[2],
                  c.areg[6]);
    for (int level = 1; level <= 7; ++level) {
        if (c.interrupts[0] & (1u << level))
            monitor_print("%02X", c.interrupts[level]);
        else
            monitor_print("--");
    }
    // In supervisor mode asp is the user stack pointer, in user mode the supervisor's.
    monitor_print("\nd3=%08X   d7=%08X   a3=%08X   a7=%08X   %csp=%08X\n", c.dreg[3], c.dreg[7],
                  c.areg[3], c.areg[7], (c.sr & 0x2000) ? 'u' : 's', c.asp);
    debugpc = c.pc;
    cpudebug_disassemble(1);
    debugpc = c.pc;
}

// The word at hexaddr stands between '>' and '<'.
void cpudebug_hexdump() {
    const uint32_t first = hexaddr & ~0xFu;
    for (int row = 0; row < kDumpLines; ++row) {
        const uint32_t line = first + 16u * row;
        monitor_print("%08X: %c", line, hexaddr == line ? '>' : ' ');
        unsigned char bytes[16];
        for (int column = 0; column < 8; ++column) {
            const uint32_t address = line + 2u * column;
            const uint16_t word = fetch_word(address);
            bytes[2 * column] = word >> 8;
            bytes[2 * column + 1] = word & 0xFF;
            char separator = ' ';
            if (column != 7 && address + 2 == hexaddr)
                separator = '>';
            else if ((hexaddr & ~1u) == address)
                separator = '<';
            monitor_print("%02X%02X%c", word >> 8, word & 0xFF, separator);
        }
        monitor_print("  ");
        for (unsigned char byte : bytes) monitor_print("%c", printable(byte));
        monitor_print("\n");
    }
    hexaddr += kDumpBytes;
}

void cpudebug_help() {
    monitor_print(
        "b [address]           Run continuously, break at PC=[address]\n"
        "d [address]           Dump memory, starting at [address]\n"
        "h                     Hardware dump\n"
        "i [number]            Generate hardware interrupt [number]\n"
        "j [address]           Jump directly to [address]\n"
        "q                     Quit\n"
        "r                     Show register dump and next instruction\n"
        "s [n]                 Switch to CPU [n]\n"
        "t [hex number]        Trace through [hex number] instructions\n"
        "u [address]           Unassemble code, starting at [address]\n"
        "e\t\t\t\t\t   Execute & unassemble\n");
}
