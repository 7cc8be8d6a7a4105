// Every opcode word, followed by fixed patterns of extension words: each line
// consumes 2 to 10 bytes, shows exactly the words it consumed, pads the hex
// column to five words and keeps its text inside sdebug.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "debugger_test_support.h"
#include "disasm.h"

namespace {

constexpr uint32_t kAt = 0x2000;

// The line the disassembler must print for the instruction at kAt when it
// consumed `consumed` bytes and built `text`.
std::string expected_line(const TestMachine& machine, int32_t consumed, const char* text) {
    char field[16];
    std::snprintf(field, sizeof field, "%08X: ", kAt);
    std::string line = field;
    for (int32_t offset = 0; offset < 10; offset += 2) {
        if (offset < consumed)
            std::snprintf(field, sizeof field, "%04X ", machine.word(kAt + static_cast<uint32_t>(offset)));
        else
            std::snprintf(field, sizeof field, "     ");
        line += field;
    }
    return line + text + "\n";
}

void sweep(std::initializer_list<uint16_t> pattern) {
    TestMachine machine;
    uint32_t address = kAt + 2;
    for (uint16_t w : pattern) {
        machine.poke(address, {w});
        address += 2;
    }
    std::vector<std::string> expected;
    expected.reserve(0x10000);
    int failures = 0;
    StdoutCapture capture;
    for (uint32_t opcode = 0; opcode <= 0xFFFF; ++opcode) {
        machine.poke(kAt, {static_cast<uint16_t>(opcode)});
        debug_text_overflowed = false;
        debugpc = kAt;
        cpudebug_disassemble(1);
        const int32_t consumed = static_cast<int32_t>(debugpc - kAt);
        bool ok = consumed >= 2 && consumed <= 10 && consumed % 2 == 0 && consumed == isize &&
                  inst == opcode && !debug_text_overflowed && std::strlen(sdebug) < sizeof sdebug &&
                  sdebug[0] != '\0';
        if (!ok && ++failures <= 10)
            ADD_FAILURE() << std::hex << "opcode " << opcode << ": consumed " << std::dec << consumed
                          << " bytes, text '" << sdebug << "'";
        expected.push_back(expected_line(machine, consumed, sdebug));
    }
    std::string output = capture.finish();
    size_t position = 0;
    for (uint32_t opcode = 0; opcode <= 0xFFFF; ++opcode) {
        size_t end = output.find('\n', position);
        std::string line = output.substr(position, end == std::string::npos ? end : end + 1 - position);
        position = end == std::string::npos ? output.size() : end + 1;
        if (line != expected[opcode] && ++failures <= 10)
            ADD_FAILURE() << std::hex << "opcode " << opcode << ": printed '" << line << "', expected '"
                          << expected[opcode] << "'";
    }
    EXPECT_EQ(position, output.size()) << "more output than lines";
    EXPECT_EQ(failures, 0);
}

TEST(DisassemblerSweep, AllOpcodesWithMixedExtensionWords) {
    sweep({0x1234, 0x8765, 0x0FF0, 0x7FFE, 0x4E71, 0x4E71});
}

TEST(DisassemblerSweep, AllOpcodesWithAllOnesExtensionWords) {
    sweep({0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF});
}

TEST(DisassemblerSweep, AllOpcodesWithNegativeExtremes) {
    sweep({0x8000, 0x8080, 0x8000, 0x8080, 0x8000, 0x8000});
}

}  // namespace
