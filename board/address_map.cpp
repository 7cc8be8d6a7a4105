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
    using namespace address_map;
    const auto program = [](const AddressRange& r, void* image) { return s68000_program(r.low, r.high, image); };
    const auto direct = [](const AddressRange& r, void* image) { return s68000_direct(r.low, r.high, image); };
    const auto reader = [](const AddressRange& r, s68000_read_handler h) { return s68000_reader(r.low, r.high, h); };
    const auto writer = [](const AddressRange& r, s68000_write_handler h) { return s68000_writer(r.low, r.high, h); };

    program_region* f = pretend_programfetch;
    *f++ = program(kProgramRom, codeRom);
    *f++ = program(kWorkRam, onboardRam);
    *f++ = program(kInputPorts, IOBuf);
    *f++ = program(kPaletteRam, _dynamicPalette);
    *f++ = program(kSpriteRam, spriteRam);
    *f = s68000_program_end();

    // Byte and word reads see the same ranges in the same order.
    for (data_region* t : {pretend_readbyte, pretend_readword}) {
        const bool word = t == pretend_readword;
        *t++ = direct(kProgramRom, codeRom);
        *t++ = direct(kWorkRam, onboardRam);
        *t++ = reader(kSound, word ? sound_wordRead : sound_byteRead);
        *t++ = reader(kInputPorts, word ? io_wordRead : io_byteRead);
        *t++ = reader(kPaletteRam, word ? pal_wordRead : pal_byteRead);
        *t++ = direct(kSpriteRam, spriteRam);
        *t = s68000_data_end();
    }

    for (data_region* t : {pretend_writebyte, pretend_writeword}) {
        const bool word = t == pretend_writeword;
        *t++ = direct(kWorkRam, onboardRam);
        *t++ = direct(kWatchdog, watchDogReset);
        *t++ = writer(kSound, word ? sound_wordWrite : sound_byteWrite);
        *t++ = writer(kInterruptEnable, word ? interruptEnable_ww : interruptEnable_bw);
        *t++ = writer(kPaletteRam, word ? pal_wordWrite : pal_byteWrite);
        *t++ = direct(kSpriteRam, spriteRam);
        *t++ = writer(kIrq4Acknowledge, word ? irq4_wordWrite : irq4_byteWrite);
        *t++ = writer(kIrq3Acknowledge, word ? irq3_wordWrite : irq3_byteWrite);
        *t++ = writer(kIrq2Acknowledge, word ? irq2_wordWrite : irq2_byteWrite);
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
