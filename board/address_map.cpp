// The 68000's view of the board: the five region tables, and the board reset.
#include <cstring>

#include "board.h"
#include "console.h"

program_region pretend_programfetch[16];
data_region pretend_readbyte[16];
data_region pretend_readword[16];
data_region pretend_writebyte[16];
data_region pretend_writeword[16];

void pm_defineMemoryMap() {
    program_region* f = pretend_programfetch;
    *f++ = s68000_program(0x000000, 0x03FFFF, codeRom);
    *f++ = s68000_program(0x100000, 0x103FFF, onboardRam);
    *f++ = s68000_program(0x500000, 0x500005, IOBuf);
    *f++ = s68000_program(0x600000, 0x6001FF, _dynamicPalette);
    *f++ = s68000_program(0x700000, 0x701DFF, spriteRam);
    *f = s68000_program_end();

    // Byte and word reads see the same ranges in the same order.
    for (data_region* t : {pretend_readbyte, pretend_readword}) {
        const bool word = t == pretend_readword;
        *t++ = s68000_direct(0x000000, 0x03FFFF, codeRom);
        *t++ = s68000_direct(0x100000, 0x103FFF, onboardRam);
        *t++ = s68000_reader(0x300000, 0x300001, word ? sound_wordRead : sound_byteRead);
        *t++ = s68000_reader(0x500000, 0x500005, word ? io_wordRead : io_byteRead);
        *t++ = s68000_reader(0x600000, 0x6001FF, word ? pal_wordRead : pal_byteRead);
        *t++ = s68000_direct(0x700000, 0x701DFF, spriteRam);
        *t = s68000_data_end();
    }

    for (data_region* t : {pretend_writebyte, pretend_writeword}) {
        const bool word = t == pretend_writeword;
        *t++ = s68000_direct(0x100000, 0x103FFF, onboardRam);
        *t++ = s68000_direct(0x200000, 0x200001, watchDogReset);
        *t++ = s68000_writer(0x300000, 0x300001, word ? sound_wordWrite : sound_byteWrite);
        *t++ = s68000_writer(0x400000, 0x400001, word ? interruptEnable_ww : interruptEnable_bw);
        *t++ = s68000_writer(0x600000, 0x6001FF, word ? pal_wordWrite : pal_byteWrite);
        *t++ = s68000_direct(0x700000, 0x701DFF, spriteRam);
        *t++ = s68000_writer(0x800000, 0x800003, word ? irq4_wordWrite : irq4_byteWrite);
        *t++ = s68000_writer(0x900000, 0x900003, word ? irq3_wordWrite : irq3_byteWrite);
        *t++ = s68000_writer(0xA00000, 0xA00003, word ? irq2_wordWrite : irq2_byteWrite);
        *t = s68000_data_end();
    }

    // Supervisor and user mode see the same map.
    s68000context& c = _s68000context;
    c.s_fetch = c.u_fetch = pretend_programfetch;
    c.s_readbyte = c.u_readbyte = pretend_readbyte;
    c.s_readword = c.u_readword = pretend_readword;
    c.s_writebyte = c.u_writebyte = pretend_writebyte;
    c.s_writeword = c.u_writeword = pretend_writeword;
}

int pm_reset() {
    pm_print("CPU Reset...");
    switch (s68000reset()) {
        case 0: pm_print("Success\n"); break;
        case 1: pm_print("Failure: Reset vector could not be fetched\n"); break;
        case -1: pm_print("Failure: Double fault\n"); break;
        default: break;
    }
    pm_print("\tInitial Stack pointer   : 0x%.8x\n", _s68000context.areg[7]);
    pm_print("\tInitial Program counter : 0x%.8x\n", s68000readPC());
    // Every drawing colour reads 0xFFFF until the program writes the palette.
    std::memset(dynamicPalette, 0xFF, sizeof dynamicPalette);
    IOBuf[1] = testMode ? 0x00 : 0xFF;
    return 1;
}
