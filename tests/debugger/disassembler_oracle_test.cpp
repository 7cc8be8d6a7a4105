// The disassembler against outside oracles. All 65,536 opcode words, each
// followed by four patterns of extension words: every line consumes 2 to 10
// bytes, shows the words it consumed padded to five slots, and its text fits
// sdebug (under AddressSanitizer: no formatter reads or writes outside its
// buffers). With the first pattern, the official decoding in the shared 68000
// test suite: our text, rewritten into that notation (mnemonic, size, operand
// kinds and registers), must equal it wherever the 68000 decodes the opcode,
// and groups it leaves wholly undefined read "unrecognized". Then examples of
// what no oracle sees: operand values, the 68010 instructions and forms
// printed as decoded.
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

#include "core_fixture.h"
#include "disasm.h"
#include "monitor_output.h"

namespace {

using namespace coretest;

// Lists `count` instructions from `address` and returns the text printed.
std::string listing(uint32_t address, int count = 1) {
    debugpc = address;
    MonitorCapture capture;
    cpudebug_disassemble(count);
    return capture.text();
}

class Disassembler : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        start();
    }
};

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool is_register(const std::string& op, char kind) {
    return op.size() == 2 && op[0] == kind && op[1] >= '0' && op[1] <= '7';
}

bool is_quick(const std::string& op) { return op.size() >= 2 && op[0] == '#' && op[1] != '$'; }

std::string operand_kind(const std::string& op) {
    if (is_register(op, 'd') || is_register(op, 'a')) return upper(op);
    if ((op.size() == 4 && op.rfind("(a", 0) == 0) || (op.size() == 5 && (op[4] == '+' || op[0] == '-')))
        return upper(op);  // (An), (An)+, -(An)
    if ((op[0] == '+' || op[0] == '-') && op[1] == '$') {
        std::string base = upper(op.substr(op.find('(') + 1, 2));
        return op.find(',') != std::string::npos ? "(d8, " + base + ", Xn)" : "(d16, " + base + ")";
    }
    if (op.rfind("($", 0) == 0) return op.size() == 7 ? "(xxx).w" : "(xxx).l";
    if (op[0] == '$') return op.find("(pc,") != std::string::npos ? "(d8, PC, Xn)" : "(d16, PC)";
    if (op.rfind("#$", 0) == 0) return "#";
    if (is_quick(op)) return op.substr(1);
    return "?" + op;
}

std::string join(const std::string& name, const std::vector<std::string>& operands) {
    std::string text = name;
    for (size_t i = 0; i < operands.size(); ++i) text += (i ? ", " : " ") + operands[i];
    return text;
}

// Rewrites one of our instruction texts into the oracle's notation (whose
// ".w" is dropped, as ours has none). The condition of Bcc, Scc and DBcc is
// not in that notation: see the objdump test.
std::string to_oracle_notation(const std::string& text, uint16_t opcode) {
    size_t blank = text.find(' ');
    std::string stem = text.substr(0, blank), size;
    std::string rest = blank == std::string::npos ? "" : text.substr(text.find_first_not_of(' ', blank));
    std::vector<std::string> raw(rest.empty() ? 0 : 1), ops;  // split at commas outside parentheses
    int depth = 0;
    for (char c : rest) {
        depth += (c == '(') - (c == ')');
        if (c == ',' && depth == 0) raw.emplace_back();
        else raw.back() += c;
    }
    for (const std::string& op : raw) ops.push_back(operand_kind(op));
    if (stem.size() > 2 && stem[stem.size() - 2] == '.') {
        size = stem == "nbcd.b" ? "" : stem.substr(stem.size() - 2);
        stem.resize(stem.size() - 2);
    }

    if ((opcode & 0xF0F8) == 0x50C8) return join("DBcc", {ops[0], "#"});
    if ((opcode & 0xF0C0) == 0x50C0) return join("Scc", ops);
    if ((opcode & 0xF000) == 0x6000) {
        int8_t displacement = static_cast<int8_t>(opcode & 0xFF);
        return join(stem == "bsr" ? "BSR" : "Bcc", {displacement ? std::to_string(displacement) : "#"});
    }
    if (stem == "moveq")
        return join("MOVE.q", {std::to_string(static_cast<int8_t>(std::stoi(raw[0].substr(2), nullptr, 16))), ops[1]});
    if (stem == "unlk") return join("UNLINK", ops);
    if (stem == "link") return join("LINK", {ops[0], "#"});
    if (stem == "movem") {
        ops[(opcode & 0x0400) ? 1 : 0] = "#";
        return join("MOVEM" + size, ops);
    }
    if (stem == "move" && !raw.empty()) {
        for (const char* special : {"ccr", "sr", "usp"}) {
            if (raw.back() == special) return join("MOVEto" + upper(special), {ops[0]});
            if (raw.front() == special) return join("MOVEfrom" + upper(special), {ops[1]});
        }
        if (is_register(raw.back(), 'a')) return join("MOVEA" + size, ops);
    }
    if ((stem == "or" || stem == "and" || stem == "eor") && raw.size() == 2 && (raw[1] == "ccr" || raw[1] == "sr"))
        return join(upper(stem) + "Ito" + upper(raw[1]), {"#"});
    if ((stem == "add" || stem == "sub" || stem == "cmp") && raw.size() == 2 && is_register(raw[1], 'a') &&
        !is_quick(raw[0]))
        return join(upper(stem) + "A" + size, ops);
    if ((opcode & 0xF020) == 0xE000 && (opcode & 0xC0) != 0xC0)  // shift by a quick count
        ops[0] = std::to_string(std::stoi(raw[0].substr(2), nullptr, 16));
    return join(upper(stem) + size, ops);
}

TEST_F(Disassembler, EveryOpcodeWithFourPatternsOfExtensionWordsAgainstTheOfficialMap) {
    std::ifstream file(std::string(M68K_TESTS_DIR) + "/68000.official.json");
    ASSERT_TRUE(file) << "missing " << M68K_TESTS_DIR << "/68000.official.json";
    const nlohmann::json json = nlohmann::json::parse(file);
    std::vector<std::string> official(0x10000);
    std::vector<bool> undefined_group(1024, true);  // groups of 64 without any 68000 instruction
    for (uint32_t opcode = 0; opcode <= 0xFFFF; ++opcode) {
        char key[8];
        std::snprintf(key, sizeof key, "%04x", opcode);
        official[opcode] = json.at(key).get<std::string>();
        const size_t blank = std::min(official[opcode].find(' '), official[opcode].size());
        if (official[opcode].compare(blank - 2, 2, ".w") == 0) official[opcode].erase(blank - 2, 2);
        if (official[opcode] != "None") undefined_group[opcode >> 6] = false;
    }
    const uint16_t kPatterns[4][4] = {
        {0x0000, 0x0010, 0x0000, 0x0020}, {0x1234, 0x8765, 0x0FF0, 0x7FFE}, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
        {0x8000, 0x8080, 0x8000, 0x8080}};
    int compared = 0, failures = 0;
    for (const auto& pattern : kPatterns) {
        code(0x2002).w({pattern[0], pattern[1], pattern[2], pattern[3]});
        for (uint32_t opcode = 0; opcode <= 0xFFFF; ++opcode) {
            mem.put16(0x2000, static_cast<uint16_t>(opcode));
            debug_text_overflowed = false;
            const std::string line = listing(0x2000), text = sdebug;
            const int32_t consumed = static_cast<int32_t>(debugpc - 0x2000);
            char hex[48];
            std::snprintf(hex, sizeof hex, "00002000: %04X %04X %04X %04X %04X ", opcode, pattern[0], pattern[1],
                          pattern[2], pattern[3]);
            for (int32_t slot = consumed / 2; slot >= 0 && slot < 5; ++slot) std::memset(hex + 10 + 5 * slot, ' ', 5);
            std::string problem;
            if (consumed < 2 || consumed > 10 || consumed != isize || inst != opcode || debug_text_overflowed ||
                text.empty() || line != hex + text + "\n") {
                problem = "consumed " + std::to_string(consumed) + " bytes, printed '" + line + "'";
            } else if (&pattern == &kPatterns[0] && official[opcode] != "None") {
                ++compared;
                const std::string ours = to_oracle_notation(text, static_cast<uint16_t>(opcode));
                if (ours != official[opcode])
                    problem = "'" + text + "' reads as '" + ours + "', the official map has '" + official[opcode] + "'";
            } else if (&pattern == &kPatterns[0] && undefined_group[opcode >> 6] && text != "unrecognized" &&
                       (opcode < 0x1000 || opcode >= 0x4000) && (opcode & 0xFFC0) != 0x42C0) {
                // Invalid combinations that fit a formatter print as decoded, but a group without
                // any instruction does not; MOVE (to any destination) and the 68010's MOVE from CCR do.
                problem = "'" + text + "' where the 68000 has no instruction";
            }
            if (!problem.empty() && ++failures <= 20) ADD_FAILURE() << std::hex << opcode << ": " << problem;
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GT(compared, 40000);
}

// Bcc, BSR, Scc and DBcc for every condition, with displacements of both
// signs and widths, against the m68k disassembler of GNU binutils: an outside
// oracle for what the official map leaves out, condition names and targets.
TEST_F(Disassembler, ConditionsAndBranchTargetsAgainstObjdump) {
#ifndef M68K_OBJDUMP
    GTEST_SKIP() << "m68k-linux-gnu-objdump was not found when the build was configured";
#else
    std::string bytes;
    for (uint16_t c = 0, at = 0x1000; c < 16 << 8; c += 1 << 8) {
        // Bcc by +2 and -16, by +0x7FFE and -0x8000, Scc (a0), DBcc d2 by -4.
        for (int w : {0x6002 | c, 0x60F0 | c, 0x6000 | c, 0x7FFE, 0x6000 | c, 0x8000, 0x50D0 | c, 0x50CA | c, 0xFFFC}) {
            mem.put16(at, static_cast<uint16_t>(w));
            at += 2;
            bytes += {static_cast<char>(w >> 8), static_cast<char>(w)};
        }
    }
    const std::string path = testing::TempDir() + "disassembler_objdump_" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << bytes;
    std::FILE* pipe = popen((M68K_OBJDUMP " -D -b binary -m m68k:68000 --adjust-vma=0x1000 " + path).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256], mnemonic[16];
    int compared = 0;
    for (debugpc = 0x1000; std::fgets(line, sizeof line, pipe);) {
        unsigned long at = 0;  // "    1000:\t6000 8000      \tbraw 0xffff9002"
        if (std::sscanf(line, " %lx:\t%*[0-9a-f ]\t%15s", &at, mnemonic) != 2) continue;
        EXPECT_EQ(debugpc, at) << "instruction lengths differ";
        listing(static_cast<uint32_t>(at));
        std::string theirs = mnemonic, ours = sdebug;
        if (theirs[0] == 'b') theirs.pop_back();  // the size letter of bras, braw
        EXPECT_EQ(ours.substr(0, ours.find(' ')), theirs == "dbf" ? "dbra" : theirs) << line;
        const char *their_target = std::strstr(line, "0x"), *our_target = std::strstr(sdebug, "($");
        EXPECT_EQ(our_target ? std::strtoul(our_target + 2, nullptr, 16) : 0,
                  their_target ? std::strtoul(their_target, nullptr, 16) : 0) << line;
        ++compared;
    }
    EXPECT_EQ(pclose(pipe), 0);
    std::remove(path.c_str());
    EXPECT_EQ(compared, 16 * 6);
#endif
}

struct Example {
    std::vector<uint16_t> words;  // at 0x1000, all of them consumed
    const char* text;
};

const Example kExamples[] = {
    {{0x4A6B, 0xFFFE}, "tst     -$0002(a3)"}, {{0x4A78, 0x8000}, "tst     ($8000)"},
    {{0x4A76, 0xF704}, "tst     +$04(a6,a7.w)"},  // bits 10..8 of the brief extension play no part
    {{0x3030, 0x9880}, "move    -$80(a0,a1.l),d0"}, {{0x4A79, 0x1234, 0x5678}, "tst     ($12345678)"},
    {{0x4A7A, 0xFFFE}, "tst     $001000(pc)"}, {{0x4A7B, 0xA8FE}, "tst     $001000(pc,a2)"},
    {{0x4A3C, 0x12AB}, "tst.b   #$AB"}, {{0x4A7D}, "tst     *** UNKNOWN EA MODE ***"},
    {{0x4EBC, 0x0001, 0x0002}, "jsr     #$00010002"},  // groups of immediate size 0 read two words
    {{0x003C, 0x0012}, "or.b    #$12,ccr"}, {{0x027C, 0x2700}, "and     #$2700,sr"},
    {{0x063C, 0x0001}, "add.b   #$01,"}, {{0x0290, 0x0000, 0xFFFF}, "and.l   #$0000FFFF,(a0)"},
    {{0x0C68, 0x1234, 0x0010}, "cmp     #$1234,+$0010(a0)"}, {{0x0800, 0x01A7}, "btst    #$A7,d0"},
    {{0x01C8, 0xFFFC}, "movep.l d0,-$0004(a0)"}, {{0x43BC, 0x0010}, "chk     #$0010,d1"},
    {{0x23FC, 0x1234, 0x5678, 0x0001, 0x0000}, "move.l  #$12345678,($010000)"},  // the source's words first
    {{0x48E7, 0xFFFE}, "movem.l a6/a5/a4/a3/a2/a1/a0/d7/d6/d5/d4/d3/d2/d1/d0,-(a7)"},
    {{0x4CDF, 0x7FFF}, "movem.l (a7)+,d0/d1/d2/d3/d4/d5/d6/d7/a0/a1/a2/a3/a4/a5/a6"},
    {{0x4E56, 0xFFF8}, "link    a6,-#$0008"}, {{0x4E72, 0x2700}, "stop    #$2700"},
    {{0x42C0}, "move.b  ccr,d0"}, {{0x4E74, 0xFFFC}, "rtd     -#$0004"}, {{0x4E7A, 0x0801}, "movec   vbr,d0"},
    {{0x4E7B, 0x9001}, "movec   a1,dfc"}, {{0x4E7A, 0xF800}, "movec   usp,a7"}, {{0x4E7A, 0x0002}, "movec   ???,d0"},
    {{0x4E7C}, "unrecognized"}, {{0x8140}, "*** NOT RECOGNIZED ***"}, {{0x8300}, "sbcd  d0,d1"},
};

TEST_F(Disassembler, TextAndLengthOfEachExample) {
    for (const Example& example : kExamples) {
            code().w(example.words);
        listing(0x1000);
        EXPECT_EQ(std::string(sdebug), example.text) << std::hex << example.words[0];
        EXPECT_EQ(debugpc, 0x1000 + 2 * example.words.size()) << example.text;
    }
}

}  // namespace
