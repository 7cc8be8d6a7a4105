// The board's ports for what the demo never does: stray addresses, a word
// read past the input ports, palette byte writes, acknowledges by byte.
// (The map itself is the demo's golden frames' and the state fuzzer's.)
#include <gtest/gtest.h>

#include "board.h"
#include "rom_set.h"

using namespace board_test;

namespace {

TEST(BoardPorts, StrayAddressesStayInsideAndByteWritesChangeOnlyTheirRam) {
    pal_wordWrite(0x600010, 0x1234, nullptr);
    const uint16_t drawn = dynamicPalette[8];
    pal_byteWrite(0x600011, 0x77, nullptr);
    EXPECT_EQ(pal_wordRead(0x600010, nullptr), 0x1277u);
    EXPECT_EQ(dynamicPalette[8], drawn);
    // Addresses the map never hands a handler stay inside the ports and the palette.
    EXPECT_EQ(io_byteRead(0x50000F, nullptr), 0xFFu);
    console_of([] { EXPECT_EQ(io_wordRead(0x4FFFFE, nullptr), 0xFFu); });
    EXPECT_EQ(console_of([] { EXPECT_EQ(io_wordRead(0x500005, nullptr), 0xFFu); }),
              "I/O read from unknown port 0x00500005\n");
    pal_byteWrite(0x600FFF, 0x66, nullptr);
    EXPECT_EQ(_dynamicPalette[0x1FF], 0x66);
    // An acknowledge by byte chooses the next vector as a word does, and keeps the last word.
    IRQ4ACK = 0x1111;
    irq4_byteWrite(0x800003, 1, nullptr);
    EXPECT_EQ(NextInterrupt, 27);
    EXPECT_EQ(IRQ4ACK, 0x1111);
    irq3_byteWrite(0x900001, 1, nullptr);
    EXPECT_EQ(NextInterrupt, 26);
    irq2_byteWrite(0xA00001, 1, nullptr);
    EXPECT_EQ(NextInterrupt, 28);
    NextInterrupt = 0;
    interruptEnable_bw(0x400000, 1, nullptr);  // the byte does nothing
    EXPECT_EQ(NextInterrupt, 0);
}

}  // namespace
