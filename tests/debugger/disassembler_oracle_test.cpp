// The disassembler against an outside oracle: the official decoding of all
// 65,536 opcode words in the shared 68000 test suite. Our text is rewritten
// into that notation (mnemonic, size, operand kinds and registers) and must
// equal it for every opcode the 68000 decodes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "debugger_test_support.h"

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Operands split at commas outside parentheses.
std::vector<std::string> split_operands(const std::string& text) {
    std::vector<std::string> operands;
    if (text.empty()) return operands;
    std::string current;
    int depth = 0;
    for (char c : text) {
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ',' && depth == 0) {
            operands.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    operands.push_back(current);
    return operands;
}

bool is_register(const std::string& op, char kind) {
    return op.size() == 2 && op[0] == kind && op[1] >= '0' && op[1] <= '7';
}

bool is_quick(const std::string& op) { return op.size() >= 2 && op[0] == '#' && op[1] != '$'; }

std::string operand_kind(const std::string& op) {
    if (is_register(op, 'd') || is_register(op, 'a')) return upper(op);
    if (op.size() == 4 && op[0] == '(' && op[1] == 'a' && op[3] == ')') return upper(op);
    if (op.size() == 5 && op[0] == '(' && op[4] == '+') return upper(op);
    if (op.size() == 5 && op[0] == '-' && op[1] == '(') return upper(op);
    if ((op[0] == '+' || op[0] == '-') && op[1] == '$') {
        size_t open = op.find('(');
        std::string base = upper(op.substr(open + 1, 2));
        return op.find(',') != std::string::npos ? "(d8, " + base + ", Xn)" : "(d16, " + base + ")";
    }
    if (op.rfind("($", 0) == 0) return op.size() == 7 ? "(xxx).w" : "(xxx).l";
    if (op[0] == '$') return op.find("(pc,") != std::string::npos ? "(d8, PC, Xn)" : "(d16, PC)";
    if (op.rfind("#$", 0) == 0) return "#";
    if (is_quick(op)) return op.substr(1);
    return "?" + op;
}

const std::set<std::string> kUnsized = {"abcd", "sbcd", "nbcd", "bchg", "bclr", "bset", "btst",
                                        "chk",  "divs", "divu", "exg",  "jmp",  "jsr",  "lea",
                                        "link", "muls", "mulu", "nop",  "pea",  "reset", "rte",
                                        "rtr",  "rts",  "stop", "swap", "tas",  "trap", "trapv"};
const std::set<std::string> kSet = {"st",  "sf",  "shi", "sls", "scc", "scs", "sne", "seq",
                                    "svc", "svs", "spl", "smi", "sge", "slt", "sgt", "sle"};
const std::set<std::string> kBranch = {"bra", "bhi", "bls", "bcc", "bcs", "bne", "beq", "bvc",
                                       "bvs", "bpl", "bmi", "bge", "blt", "bgt", "ble"};
const std::set<std::string> kShift = {"asr", "asl", "lsr", "lsl", "roxr", "roxl", "ror", "rol"};

std::string join(const std::string& name, const std::vector<std::string>& operands) {
    std::string text = name;
    for (size_t i = 0; i < operands.size(); ++i) text += (i ? ", " : " ") + operands[i];
    return text;
}

// Rewrites one of our instruction texts into the oracle's notation.
std::string to_oracle_notation(const std::string& text, uint16_t opcode) {
    size_t blank = text.find(' ');
    std::string mnemonic = text.substr(0, blank);
    std::string rest = blank == std::string::npos ? "" : text.substr(text.find_first_not_of(' ', blank));
    std::vector<std::string> raw = split_operands(rest);

    std::string stem = mnemonic, size = ".w";
    if (mnemonic.size() > 2 && mnemonic[mnemonic.size() - 2] == '.') {
        stem = mnemonic.substr(0, mnemonic.size() - 2);
        size = mnemonic.substr(mnemonic.size() - 2);
    }

    std::vector<std::string> ops;
    for (const std::string& op : raw) ops.push_back(operand_kind(op));

    if (kSet.count(stem)) return join("Scc", ops);
    if (stem.rfind("db", 0) == 0) return join("DBcc", {ops[0], "#"});
    if (kBranch.count(stem) || stem == "bsr") {
        std::string name = stem == "bsr" ? "BSR" : "Bcc";
        int8_t displacement = static_cast<int8_t>(opcode & 0xFF);
        return join(name, {displacement ? std::to_string(displacement) : "#"});
    }
    if (stem == "moveq") {
        int8_t value = static_cast<int8_t>(std::strtol(raw[0].c_str() + 2, nullptr, 16));
        return join("MOVE.q", {std::to_string(value), ops[1]});
    }
    if (stem == "unlk") return join("UNLINK", ops);
    if (stem == "link") return join("LINK", {ops[0], "#"});
    if (stem == "trap") return join("TRAP", ops);
    if (stem == "ext") return join("EXT" + size, ops);
    if (stem == "movem") {
        bool to_registers = opcode & 0x0400;
        ops[to_registers ? 1 : 0] = "#";
        return join("MOVEM" + size, ops);
    }
    if (stem == "move" && !raw.empty()) {
        if (raw.back() == "ccr") return join("MOVEtoCCR", {ops[0]});
        if (raw.back() == "sr") return join("MOVEtoSR", {ops[0]});
        if (raw.back() == "usp") return join("MOVEtoUSP", {ops[0]});
        if (raw.front() == "sr") return join("MOVEfromSR", {ops[1]});
        if (raw.front() == "usp") return join("MOVEfromUSP", {ops[1]});
        if (raw.front() == "ccr") return join("MOVEfromCCR", {ops[1]});
        if (is_register(raw.back(), 'a')) return join("MOVEA" + size, ops);
    }
    if ((stem == "or" || stem == "and" || stem == "eor") && raw.size() == 2 &&
        (raw[1] == "ccr" || raw[1] == "sr"))
        return join(upper(stem) + "Ito" + upper(raw[1]), {"#"});
    if ((stem == "add" || stem == "sub" || stem == "cmp") && raw.size() == 2 &&
        is_register(raw[1], 'a') && !is_quick(raw[0]))
        return join(upper(stem) + "A" + size, ops);
    if (kShift.count(stem) && !ops.empty() && raw[0].rfind("#$", 0) == 0)
        ops[0] = std::to_string(std::strtol(raw[0].c_str() + 2, nullptr, 16));
    if (stem == "nbcd") return join("NBCD", ops);
    if (kUnsized.count(stem)) return join(upper(stem), ops);
    return join(upper(stem) + size, ops);
}

// Standard output is set aside while a test lists its 65,536 lines.
class QuietOutput {
public:
    ~QuietOutput() { capture_.finish(); }

private:
    StdoutCapture capture_;
};

// The instruction text of one line, read from sdebug.
std::string text_at(uint32_t address) {
    debugpc = address;
    cpudebug_disassemble(1);
    return sdebug;
}

nlohmann::json load_official_map() {
    std::ifstream file(std::string(M68K_TESTS_DIR) + "/68000.official.json");
    if (!file) return nullptr;
    return nlohmann::json::parse(file);
}

TEST(DisassemblerOracle, EveryOpcodeTheOfficialMapDecodesReadsTheSame) {
    nlohmann::json official = load_official_map();
    ASSERT_TRUE(official.is_object()) << "missing " << M68K_TESTS_DIR << "/68000.official.json";
    ASSERT_EQ(official.size(), 65536u);
    TestMachine machine;
    QuietOutput quiet;
    int compared = 0, mismatches = 0;
    for (uint32_t opcode = 0; opcode <= 0xFFFF; ++opcode) {
        char key[8];
        std::snprintf(key, sizeof key, "%04x", opcode);
        const std::string decoding = official.at(key).get<std::string>();
        if (decoding == "None") continue;
        machine.poke(0x2000, {static_cast<uint16_t>(opcode), 0x0000, 0x0010, 0x0000, 0x0020});
        const std::string text = text_at(0x2000);
        const std::string ours = to_oracle_notation(text, static_cast<uint16_t>(opcode));
        ++compared;
        if (ours != decoding && ++mismatches <= 20)
            ADD_FAILURE() << std::hex << "opcode " << opcode << ": '" << text << "' reads as '" << ours
                          << "', the official map has '" << decoding << "'";
    }
    EXPECT_EQ(mismatches, 0) << "of " << compared;
    EXPECT_GT(compared, 40000);
}

TEST(DisassemblerOracle, EveryUnrecognizedOpcodeIsUndefinedOnThe68000) {
    nlohmann::json official = load_official_map();
    ASSERT_TRUE(official.is_object());
    TestMachine machine;
    QuietOutput quiet;
    int unrecognized = 0;
    for (uint32_t opcode = 0; opcode <= 0xFFFF; ++opcode) {
        machine.poke(0x2000, {static_cast<uint16_t>(opcode)});
        const std::string text = text_at(0x2000);
        if (text != "unrecognized" && text != "*** NOT RECOGNIZED ***") continue;
        ++unrecognized;
        char key[8];
        std::snprintf(key, sizeof key, "%04x", opcode);
        EXPECT_EQ(official.at(key).get<std::string>(), "None") << std::hex << "opcode " << opcode;
    }
    EXPECT_GT(unrecognized, 10000);
}

}  // namespace
