// The board as the 68000 sees it: ROM, RAM, palette, inputs, sound, watchdog
// and the interrupt ports. (The palette's conversion is the golden frames'.)
#include <cstring>
#include <vector>

#include "board.h"
#include "rom_set.h"

using namespace board_test;

namespace {

class BoardMap : public testing::Test {
protected:
    RomSetDir set;

    void SetUp() override {
        set.write_complete(0x00104000, 0x00000400);
        testMode = 0;
        console_of([&] { pm_initAll(set.prefix().c_str()); });
    }
    void TearDown() override { testMode = 0; }

    // Places 68000 words at 0x400, resets and runs one instruction at a time
    // until the program's end; returns what the board printed while it ran.
    std::string run(const std::vector<uint16_t>& words) {
        uint32_t a = 0x400;
        for (uint16_t w : words) store_rom_word(a, w), a += 2;
        store_rom_word(a, 0x60FE);  // BRA.S * : where the program ends
        console_of([] { pm_reset(); });
        const std::string out = console_of([&] {
            for (int i = 0; i < 64 && _s68000context.pc != a; ++i) s68000exec(1);
        });
        EXPECT_EQ(_s68000context.pc, a) << "program did not reach its end";
        return out;
    }
    static void store_rom_word(uint32_t a, uint16_t w) { std::memcpy(codeRom + a, &w, 2); }
    static uint32_t D(int n) { return _s68000context.dreg[n]; }
};

// MOVE.W #imm,(abs).L = 33FC imm hi lo; MOVE.B #imm,(abs).L = 13FC; MOVE.W (abs).L,Dn = 3039+...
constexpr uint16_t MOVE_W_IMM_ABSL = 0x33FC, MOVE_B_IMM_ABSL = 0x13FC;
constexpr uint16_t MOVE_W_ABSL_D0 = 0x3039, MOVE_B_ABSL_D2 = 0x1439;
constexpr uint16_t MOVE_L_ABSL_D3 = 0x2639;

TEST_F(BoardMap, PaletteByteWritesChangePaletteRamOnlyAndStrayAddressesStayInside) {
    pal_wordWrite(0x600010, 0x1234, nullptr);
    const uint16_t drawn = dynamicPalette[8];
    pal_byteWrite(0x600011, 0x77, nullptr);
    EXPECT_EQ(pal_wordRead(0x600010, nullptr), 0x1277u);
    EXPECT_EQ(dynamicPalette[8], drawn);
    // Addresses the map never hands a handler stay inside the ports and the palette.
    EXPECT_EQ(io_byteRead(0x50000F, nullptr), 0xFFu);
    console_of([] { EXPECT_EQ(io_wordRead(0x4FFFFE, nullptr), 0xFFu); });
    pal_byteWrite(0x600FFF, 0x66, nullptr);
    EXPECT_EQ(_dynamicPalette[0x1FF], 0x66);
}

// What a program reads back, one row a case: what it writes first (nothing
// when `written` is 0), then the width and address it reads.
TEST_F(BoardMap, EachRegionReadsAndWritesAsTheBoardDoes) {
    const struct {
        const char* name;
        uint16_t write;       // MOVE_W_IMM_ABSL, MOVE_B_IMM_ABSL or 0
        uint32_t written;     // address
        uint16_t value;
        uint16_t read;        // MOVE_W_ABSL_D0, MOVE_B_ABSL_D2 or MOVE_L_ABSL_D3
        uint32_t address;
        uint32_t expected;    // in the register's read width
        const char* printed;  // what the board says, if anything
    } rows[] = {
        {"input word, active low", 0, 0, 0, MOVE_W_ABSL_D0, 0x500000, 0x7FFF, ""},
        {"input word 2", 0, 0, 0, MOVE_W_ABSL_D0, 0x500002, 0x7F00, ""},
        {"unknown input port", 0, 0, 0, MOVE_W_ABSL_D0, 0x500005, 0x00FF, "I/O read from unknown port 0x00500005\n"},
        {"sound ignores writes and answers 3", MOVE_W_IMM_ABSL, 0x300000, 0x1234, MOVE_W_ABSL_D0, 0x300000, 3, ""},
        {"sound byte", 0, 0, 0, MOVE_B_ABSL_D2, 0x300001, 3, ""},
        {"watchdog is not readable", MOVE_W_IMM_ABSL, 0x200000, 0xBEEF, MOVE_W_ABSL_D0, 0x200000, 0xFFFF, ""},
        {"ROM is read-only", MOVE_W_IMM_ABSL, 0x000000, 0x1234, MOVE_W_ABSL_D0, 0x000000, 0x0010, ""},
        {"unmapped space", 0, 0, 0, MOVE_L_ABSL_D3, 0xC00000, 0xFFFFFFFF, ""},
        {"work RAM", MOVE_W_IMM_ABSL, 0x100000, 0x1234, MOVE_L_ABSL_D3, 0x100000, 0x12340000, ""},
        {"sprite RAM byte", MOVE_B_IMM_ABSL, 0x701DFF, 0xAB, MOVE_W_ABSL_D0, 0x701DFE, 0x00AB, ""},
        {"palette byte read", MOVE_W_IMM_ABSL, 0x600002, 0xFC00, MOVE_B_ABSL_D2, 0x600002, 0xFC, ""},
    };
    for (const auto& r : rows) {
        std::vector<uint16_t> words;
        if (r.write) words = {r.write, r.value, static_cast<uint16_t>(r.written >> 16), static_cast<uint16_t>(r.written)};
        words.insert(words.end(), {r.read, static_cast<uint16_t>(r.address >> 16), static_cast<uint16_t>(r.address)});
        const std::string out = run(words);
        const int reg = r.read == MOVE_W_ABSL_D0 ? 0 : r.read == MOVE_B_ABSL_D2 ? 2 : 3;
        const uint32_t mask = reg == 0 ? 0xFFFF : reg == 2 ? 0xFF : 0xFFFFFFFF;
        EXPECT_EQ(D(reg) & mask, r.expected) << r.name;
        EXPECT_EQ(out, r.printed) << r.name;
    }
    uint16_t stored;
    std::memcpy(&stored, watchDogReset, 2);
    EXPECT_EQ(stored, 0xBEEF) << "the watchdog absorbs writes";
    std::memcpy(&stored, onboardRam, 2);
    EXPECT_EQ(stored, 0x1234) << "a 68000 word is one host-order 16-bit value";
    EXPECT_EQ(spriteRam[0x1DFE], 0xAB) << "the odd 68000 byte is the low-order host byte";
    EXPECT_EQ(D(2) & 0xFF, 0xFCu);
}

// Each row a program, then the vector it leaves next and the port's last word.
TEST_F(BoardMap, AcknowledgesChooseTheNextVector) {
    const struct {
        std::vector<uint16_t> program;
        uint16_t next, *word, value;
    } rows[] = {
        {{MOVE_B_IMM_ABSL, 0x0001, 0x0080, 0x0002}, 27, &IRQ4ACK, 0x1111},  // a byte keeps the last word
        {{MOVE_W_IMM_ABSL, 0x0042, 0x0090, 0x0000}, 26, &IRQ3ACK, 0x0042},
        {{MOVE_W_IMM_ABSL, 0x0043, 0x00A0, 0x0002}, 28, &IRQ2ACK, 0x0043},
        {{MOVE_W_IMM_ABSL, 0x0007, 0x0080, 0x0000, MOVE_W_IMM_ABSL, 0x0001, 0x0040, 0x0000}, 28, &IRQ4ACK, 0x0007},
        {{MOVE_B_IMM_ABSL, 0x0001, 0x0080, 0x0003, MOVE_B_IMM_ABSL, 0x0001, 0x0040, 0x0000}, 27, &interruptEnable, 1},  // the byte does nothing
    };
    NextInterrupt = 0;
    IRQ4ACK = 0x1111;
    for (const auto& r : rows) {
        run(r.program);
        EXPECT_EQ(NextInterrupt, r.next) << &r - rows;
        EXPECT_EQ(*r.word, r.value) << &r - rows;
    }
}

}  // namespace
