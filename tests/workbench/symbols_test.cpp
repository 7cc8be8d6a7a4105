// Symbols from the demo's ELF file (checked against the program's own reset
// vector) and from text maps; every bad file is refused with a reason and
// leaves the symbols as they were.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "board_session.h"
#include "symbols.h"
#include "watch.h"

namespace {

using namespace workbench;

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

TEST(WorkbenchSymbols, TheDemosStartIsItsResetVector) {
    ASSERT_TRUE(e2e::startBoard(DEMO_ROM_BASE));
    std::ifstream file(DEMO_ELF, std::ios::binary);
    const std::vector<uint8_t> elf{std::istreambuf_iterator<char>(file), {}};
    Symbols symbols;
    std::string error;
    ASSERT_TRUE(symbols.read(elf, error)) << error;
    const auto start = symbols.find("_start");
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, e2e::board().peekLong(4).value_or(0xFFFFFFFF));
    EXPECT_EQ(symbols.describe(*start + 6), "_start+0x6");
    std::string parseError;
    EXPECT_EQ(parseAddress("_start", &symbols, parseError), start);
    // Addresses named after the data object or routine they fall in, in
    // the listing's operands too.
    const std::pair<const char*, const char*> named[] = {
        {"move.l ($100004),d0", "move.l status+4,d0"},     // inside an object: its offset
        {"move.l d2,($100010)", "move.l d2,status+16"},
        {"movea.l ($100000),a0", "movea.l status,a0"},     // not the linker's _fixed_start there
        {"jsr     ($000BE6)", "jsr     scene_frame"},
        {"bne     ($000242)", "bne     main+0x66"},
        {"lea     $001968(pc),a3", "lea     service_frame(pc),a3"},
        {"move.w  #$0001,($400000)", "move.w  #$0001,($400000)"},  // nothing named there
        {"move.l  #$00100000,d5", "move.l  #$00100000,d5"},        // a number, not an address
        {"tst.w   ($0004)", "tst.w   ($0004)"},
    };
    for (const auto& [text, expected] : named) EXPECT_EQ(nameOperands(text, symbols), expected);
    // A watch on an object of 1, 2 or 4 bytes takes its size; others the size given (1).
    const struct { const char* text; int size; } watches[] = {{"state", 2}, {"status", 1}, {"100010", 1}, {"stripe.1", 4}};
    for (const auto& w : watches) {
        std::string error;
        const auto watch = makeWatch(w.text, 1, WatchFormat::Hex, &symbols, error);
        ASSERT_TRUE(watch) << error;
        EXPECT_EQ(watch->size, w.size) << w.text;
    }
}

TEST(WorkbenchSymbols, MapsAndBadFiles) {
    std::ifstream file(DEMO_ELF, std::ios::binary);
    const std::vector<uint8_t> elf{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GT(elf.size(), 512u);
    const std::vector<uint8_t> truncatedElf(elf.begin(), elf.begin() + elf.size() / 3);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool accepted;
        const char* symbol;
        uint32_t address;
        const char* error;
    };
    const Case cases[] = {
        {"map", bytesOf("# comment\n\n001234 main\r\n0x100000 buffer\n$2000 table\n"), true, "buffer", 0x100000, ""},
        {"map, last line without newline", bytesOf("10 a"), true, "a", 0x10, ""},
        {"bad line", bytesOf("001234 main\nnonsense\n"), false, "", 0, "line 2 is not \"address name\""},
        {"address too large", bytesOf("1000000 big\n"), false, "", 0, "line 1 is not \"address name\""},
        {"empty", bytesOf(""), false, "", 0, "no symbols in the file"},
        {"truncated ELF", truncatedElf, false, "", 0, "the ELF file is truncated or damaged"},
        {"ELF header cut", {elf.begin(), elf.begin() + 51}, false, "", 0,
         "the ELF file is truncated: 51 bytes, its header alone takes 52"},
        {"ELF for x86-64", bytesOf(std::string("\x7F" "ELF\2\1\1", 7) + std::string(11, 0) + ">" + std::string(45, 0)),
         false, "", 0, "an ELF file for x86-64 (64-bit, little-endian), not the 68000"},  // machine 62, '>'
        {"ELF magic only", bytesOf("\x7F" "ELF"), false, "", 0,
         "the ELF file is truncated: 4 bytes, its header alone takes 52"},
        {"text after a NUL", bytesOf(std::string("10 a\0junk\n", 10)), false, "", 0, "line 1 holds a NUL byte"},
        {"0x without digits", bytesOf("10 a\n0x name\n"), false, "", 0, "line 2 is not \"address name\""},
        {"a sign", bytesOf("+100 name\n"), false, "", 0, "line 1 is not \"address name\""},
        {"byte-order mark", bytesOf("\xEF\xBB\xBF" "10 a\n"), true, "a", 0x10, ""},
        {"two names at one address", bytesOf("10 a\n10 b\n"), true, "b", 0x10, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Symbols symbols;
        std::string error;
        ASSERT_TRUE(symbols.read(bytesOf("42 kept\n"), error));
        EXPECT_EQ(symbols.read(c.bytes, error), c.accepted) << error;
        if (c.accepted) {
            EXPECT_EQ(symbols.find(c.symbol), c.address);
        } else {
            EXPECT_EQ(error, c.error);
            EXPECT_EQ(symbols.find("kept"), 0x42u) << "a refused file changed the symbols";
        }
    }
}

TEST(WorkbenchSymbols, TypedAddresses) {
    const std::pair<const char*, std::optional<uint32_t>> cases[] = {
        {"100000", 0x100000}, {"0x7000A0", 0x7000A0}, {"$FF", 0xFF}, {" 12 ", 0x12},
        {"", std::nullopt}, {"1000000", std::nullopt}, {"0xZZ", std::nullopt}, {"nowhere", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_EQ(parseAddress(text, nullptr, error), expected) << text;
        EXPECT_EQ(error.empty(), expected.has_value()) << text;
    }
    BoardState cpu{};
    cpu.pc = 0x0001D2;
    cpu.areg[0] = 0x700A60;
    cpu.areg[7] = 0x103FF0;
    cpu.dreg[3] = 0x12345678;
    const std::pair<const char*, std::optional<uint32_t>> registers[] = {
        {"pc", 0x1D2}, {"A0", 0x700A60}, {"sp", 0x103FF0}, {"d3", 0x345678}, {"$a0", 0xA0}, {"a8", 0xA8}, {"x1", std::nullopt},
    };
    for (const auto& [text, expected] : registers) {
        std::string error;
        EXPECT_EQ(parseAddress(text, nullptr, error, &cpu), expected) << text;
    }
}

}  // namespace
