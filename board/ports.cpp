// The board's memory-mapped ports: inputs, sound stubs, palette RAM with its
// conversion to drawing colours, and the interrupt enable and acknowledges.
#include <cstdio>

#include "board.h"

// Arrays of 16 bytes or more: code built against the declarations may use
// 16-byte aligned stores on them (the x86-64 ABI's alignment), so a smaller
// alignas would break it.
alignas(16) unsigned char _dynamicPalette[512];
alignas(16) uint16_t dynamicPalette[256];
alignas(2) unsigned char IOBuf[6] = {kInitialIOBuf[0], kInitialIOBuf[1], kInitialIOBuf[2],
                                     kInitialIOBuf[3], kInitialIOBuf[4], kInitialIOBuf[5]};
unsigned char testMode;
uint16_t NextInterrupt;
uint16_t interruptEnable, IRQ4ACK, IRQ3ACK, IRQ2ACK;
alignas(2) unsigned char watchDogReset[2];

namespace {
// The vector numbers of the autovectors of levels 2, 3 and 4.
constexpr uint16_t kLevel2 = 26, kLevel3 = 27, kLevel4 = 28;
}  // namespace

// The sound CPU is not emulated: its port always answers 3.
uint32_t sound_byteRead(uint32_t, data_region*) { return 3; }
uint32_t sound_wordRead(uint32_t, data_region*) { return 3; }
void sound_byteWrite(uint32_t, uint32_t, data_region*) {}
void sound_wordWrite(uint32_t, uint32_t, data_region*) {}

uint32_t io_byteRead(uint32_t address, data_region*) {
    const uint32_t i = address & 0x0F;
    return i < sizeof IOBuf ? IOBuf[i] : 0xFF;
}

uint32_t io_wordRead(uint32_t address, data_region*) {
    const uint32_t i = address & 0xFE;
    if (address > 0x500004 || i + 1 >= sizeof IOBuf) {
        std::printf("I/O read from unknown port 0x%.8x\n", address);
        return 0xFF;
    }
    return IOBuf[i] * 256u + IOBuf[i + 1];
}

// Palette RAM is 512 bytes kept in the 68000's byte order.
uint32_t pal_byteRead(uint32_t address, data_region*) { return _dynamicPalette[address & 0x1FF]; }

uint32_t pal_wordRead(uint32_t address, data_region*) {
    const uint32_t o = address & 0x1FE;
    return _dynamicPalette[o] * 256u + _dynamicPalette[o + 1];
}

// A byte write changes palette RAM only; the drawing colour follows word writes.
void pal_byteWrite(uint32_t address, uint32_t data, data_region*) {
    _dynamicPalette[address & 0x1FF] = static_cast<unsigned char>(data);
}

// Palette RAM holds red in bits 0-4, green 5-9, blue 10-14; a drawing colour
// holds red in bits 10-14, green 5-9, blue 0-4.
void pal_wordWrite(uint32_t address, uint32_t data, data_region*) {
    const uint32_t o = address & 0x1FE;
    _dynamicPalette[o] = static_cast<unsigned char>(data >> 8);
    _dynamicPalette[o + 1] = static_cast<unsigned char>(data);
    const uint32_t r = data & 31, g = (data >> 5) & 31, b = (data >> 10) & 31;
    dynamicPalette[o / 2] = static_cast<uint16_t>(r << 10 | g << 5 | b);
}

void interruptEnable_ww(uint32_t, uint32_t data, data_region*) {
    interruptEnable = static_cast<uint16_t>(data);
    NextInterrupt = kLevel4;
}
void interruptEnable_bw(uint32_t, uint32_t, data_region*) {}

// Acknowledging an interrupt chooses the next one: 28, then 27, then 26.
void irq4_wordWrite(uint32_t, uint32_t data, data_region*) {
    IRQ4ACK = static_cast<uint16_t>(data);
    NextInterrupt = kLevel3;
}
void irq4_byteWrite(uint32_t, uint32_t, data_region*) { NextInterrupt = kLevel3; }
void irq3_wordWrite(uint32_t, uint32_t data, data_region*) {
    IRQ3ACK = static_cast<uint16_t>(data);
    NextInterrupt = kLevel2;
}
void irq3_byteWrite(uint32_t, uint32_t, data_region*) { NextInterrupt = kLevel2; }
void irq2_wordWrite(uint32_t, uint32_t data, data_region*) {
    IRQ2ACK = static_cast<uint16_t>(data);
    NextInterrupt = kLevel4;
}
void irq2_byteWrite(uint32_t, uint32_t, data_region*) { NextInterrupt = kLevel4; }
