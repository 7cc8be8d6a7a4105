// The dispatch table against the official decoding of all 65,536 opcode words,
// its compressed image, the handler granularity and the handler names.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "core_fixture.h"
#include "diagnostics.h"
#include "dispatch_table.h"

#ifndef M68K_OFFICIAL_MAP
#error "M68K_OFFICIAL_MAP must name the official opcode decoding (JSON)"
#endif

namespace {

using m68k::Handler;
using m68k::jmptbl;

enum class Kind { Legal, Illegal, LineA, LineF };

// What every opcode should be: the official decoding, plus this core's two
// particulars (MOVE.B from an address register, BTST #n,#imm).
struct OfficialMap {
    bool loaded = false;
    std::array<Kind, 65536> kind{};
    uint16_t first_illegal = 0;

    OfficialMap() {
        std::ifstream in(M68K_OFFICIAL_MAP);
        if (!in) return;
        const nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
        if (!j.is_object() || j.size() != 65536) return;
        std::array<bool, 65536> decodes{};
        for (unsigned op = 0; op < 65536; ++op) {
            char key[8];
            std::snprintf(key, sizeof key, "%04x", op);
            auto it = j.find(key);
            if (it == j.end() || !it->is_string()) return;
            decodes[op] = *it != "None";
        }
        for (unsigned op = 0; op < 65536; ++op) {
            // MOVE.B An,<dst> is legal wherever MOVE.B Dn,<dst> is.
            const bool move_b_from_an = (op >> 12) == 1 && ((op >> 3) & 7) == 1 && decodes[op & ~0x38u];
            const bool legal = decodes[op] || move_b_from_an || op == 0x083C;
            kind[op] = (op >> 12) == 0xA ? Kind::LineA
                       : (op >> 12) == 0xF ? Kind::LineF
                       : legal             ? Kind::Legal
                                           : Kind::Illegal;
        }
        first_illegal = 0;
        while (kind[first_illegal] != Kind::Illegal) ++first_illegal;
        loaded = true;
    }
};

const OfficialMap& official() {
    static const OfficialMap map;
    return map;
}

#define REQUIRE_OFFICIAL_MAP()                                                                  \
    ASSERT_TRUE(official().loaded) << "the official opcode decoding is missing or unreadable: " \
                                   << M68K_OFFICIAL_MAP                                        \
                                   << " (set -DBEVOREL_M68K_TESTS=<directory of the suite>)"

// The first opcode of the handler that serves op, from the encoding rules:
// the fields read at run time are the EA register of modes 0-6 and the
// register of register-only forms (bits 2-0), the 8-bit branch displacement,
// MOVEQ's data and the TRAP number.
uint16_t expected_first(uint16_t op) {
    const OfficialMap& m = official();
    switch (m.kind[op]) {
        case Kind::LineA: return 0xA000;
        case Kind::LineF: return 0xF000;
        case Kind::Illegal: return m.first_illegal;
        case Kind::Legal: break;
    }
    const unsigned line = op >> 12;
    if (line == 6) return (op & 0xFF) ? static_cast<uint16_t>((op & 0xFF00) | 1) : op;
    if (line == 7) return op & 0xFF00;
    if (op >= 0x4E40 && op <= 0x4E4F) return 0x4E40;  // TRAP #n
    if (op >= 0x4E70 && op <= 0x4E77) return op;      // RESET, NOP, STOP, RTE, RTS, TRAPV, RTR
    if (line == 0xE && ((op >> 6) & 3) != 3) return op & ~7u;  // register shifts: Dy
    if (((op >> 3) & 7) != 7) return op & ~7u;  // EA modes 0-6 and register-only forms
    return op;
}

std::string name_of(uint16_t first) {
    char s[8];
    std::snprintf(s, sizeof s, "%c%03X", "KLMNOPQRSTUVWXYZ"[first >> 12], first & 0xFFFu);
    return s;
}

std::string hex(unsigned op) {
    char s[8];
    std::snprintf(s, sizeof s, "0x%04X", op);
    return s;
}

class DispatchTable : public coretest::CoreTest {};

TEST_F(DispatchTable, EveryEntryHasTheHandlerOfItsOfficialDecoding) {
    REQUIRE_OFFICIAL_MAP();
    const OfficialMap& m = official();
    const Handler illegal = jmptbl[0x4AFC];
    const Handler line_a = jmptbl[0xA000];
    const Handler line_f = jmptbl[0xF000];
    EXPECT_NE(illegal, line_a);
    EXPECT_NE(illegal, line_f);
    EXPECT_NE(line_a, line_f);
    std::vector<std::string> wrong;
    for (unsigned op = 0; op < 65536; ++op) {
        const Handler h = jmptbl[op];
        bool ok = h != nullptr;
        switch (m.kind[op]) {
            case Kind::LineA: ok = ok && h == line_a; break;
            case Kind::LineF: ok = ok && h == line_f; break;
            case Kind::Illegal: ok = ok && h == illegal; break;
            case Kind::Legal: ok = ok && h != illegal && h != line_a && h != line_f; break;
        }
        if (!ok) wrong.push_back(hex(op));
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " opcodes dispatch to the wrong kind of handler, first "
                               << (wrong.empty() ? "" : wrong.front());
}

// Each opcode run once from a fixed state: exactly the illegal ones take
// vector 4, the line 1010 and 1111 ones vectors 10 and 11, each pushing its own
// address; every legal one runs without them.
TEST_F(DispatchTable, EveryOpcodeRunsAsItsKind) {
    REQUIRE_OFFICIAL_MAP();
    start();
    ctx().resethandler = [] {};
    const uint32_t frame = coretest::RESET_SSP - 6;
    std::vector<std::string> wrong;
    for (unsigned op = 0; op < 65536; ++op) {
        s68000context& c = ctx();
        std::memset(c.dreg, 0, sizeof c.dreg);
        std::memset(c.areg, 0, sizeof c.areg);
        c.areg[7] = coretest::RESET_SSP;
        c.asp = 0x9000;
        c.sr = 0x2700;
        c.pc = coretest::CODE;
        std::memset(c.interrupts, 0, sizeof c.interrupts);
        c.fetch = c.s_fetch;
        c.readbyte = c.s_readbyte;
        c.readword = c.s_readword;
        c.writebyte = c.s_writebyte;
        c.writeword = c.s_writeword;
        for (unsigned v = 2; v < 64; ++v) mem.put32(4 * v, coretest::vector_target(v));
        code().w(static_cast<uint16_t>(op)).w(0).w(0).w(0).w(0);
        mem.put32(frame + 2, 0xDEADBEEF);

        s68000exec(1);
        const bool pushed_own = c.areg[7] == frame && mem.get32(frame + 2) == coretest::CODE;
        auto took = [&](unsigned v) { return c.pc == coretest::vector_target(v) && pushed_own; };
        bool ok = false;
        switch (official().kind[op]) {
            case Kind::Illegal: ok = took(4); break;
            case Kind::LineA: ok = took(10); break;
            case Kind::LineF: ok = took(11); break;
            case Kind::Legal: ok = !took(4) && !took(10) && !took(11); break;
        }
        if (!ok) wrong.push_back(hex(op));
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " opcodes run as the wrong kind, first "
                               << (wrong.empty() ? "" : wrong.front());
}

TEST_F(DispatchTable, NamedOpcodesOfTheInstructionSet) {
    const Handler illegal = jmptbl[0x4AFC];
    // 68010 and later patterns, and invalid forms, are illegal here.
    for (uint16_t op : {0x4E74, 0x4E7A, 0x4E7B, 0x0E10, 0x42C0, 0x4848, 0x4808, 0x4C00, 0x4100,
                        0x7100, 0x41D8, 0x1048, 0x4AFA, 0x4AFB})
        EXPECT_EQ(jmptbl[op], illegal) << hex(op);
    for (uint16_t op : {0x4E71, 0x4180, 0x41FA, 0x1008, 0x083C, 0x50C8, 0x60FF, 0x6000})
        EXPECT_NE(jmptbl[op], illegal) << hex(op);
    EXPECT_EQ(s68000handlerAlias(0x4AFC), "r_illegal");
}

TEST_F(DispatchTable, CompressedImageCoversTheTableExactly) {
    ASSERT_GT(m68k::jmptblcomp_records, 0u);
    size_t entry = 0;
    uint32_t previous = 0;
    for (size_t i = 0; i < m68k::jmptblcomp_records; ++i) {
        const uint32_t record = m68k::jmptblcomp[i];
        const uint32_t id = record & 0xFFFFFF;
        const size_t length = (record >> 24) + 1;
        ASSERT_LE(entry + length, 65536u) << "record " << i << " runs past the table";
        // A run repeats the identifier before it only when that one was full.
        if (i > 0 && (previous & 0xFFFFFF) == id) EXPECT_EQ(previous >> 24, 255u) << "record " << i;
        for (size_t n = 0; n < length; ++n) ASSERT_EQ(jmptbl[entry + n], jmptbl[entry]) << hex(entry + n);
        entry += length;
        previous = record;
    }
    EXPECT_EQ(entry, 65536u);
    // Equal identifiers name equal handlers, different ones different handlers.
    std::unordered_map<uint32_t, Handler> by_id;
    std::unordered_map<Handler, uint32_t> id_of;
    entry = 0;
    for (size_t i = 0; i < m68k::jmptblcomp_records; ++i) {
        const uint32_t id = m68k::jmptblcomp[i] & 0xFFFFFF;
        EXPECT_EQ(by_id.emplace(id, jmptbl[entry]).first->second, jmptbl[entry]) << "identifier " << id;
        EXPECT_EQ(id_of.emplace(jmptbl[entry], id).first->second, id) << "record " << i;
        entry += (m68k::jmptblcomp[i] >> 24) + 1;
    }
}

TEST_F(DispatchTable, ExpandingTwiceGivesTheSameTable) {
    std::vector<Handler> first(jmptbl, jmptbl + 65536);
    for (Handler h : first) ASSERT_NE(h, nullptr);
    EXPECT_EQ(s68000init(), 0);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), jmptbl));
}

// Two opcodes share a handler exactly when they differ only in the fields
// read at run time.
TEST_F(DispatchTable, OpcodesShareAHandlerExactlyWhenTheyDifferInRunTimeFields) {
    REQUIRE_OFFICIAL_MAP();
    std::unordered_map<Handler, uint16_t> first_of;
    std::vector<std::string> wrong;
    for (unsigned op = 0; op < 65536; ++op) {
        const uint16_t first = expected_first(static_cast<uint16_t>(op));
        const bool shares = jmptbl[op] == jmptbl[first];
        const bool unique = first_of.emplace(jmptbl[op], first).first->second == first;
        if (!shares || !unique) wrong.push_back(hex(op));
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " opcodes with the wrong handler sharing, first "
                               << (wrong.empty() ? "" : wrong.front());
}

TEST_F(DispatchTable, HandlerNamesAndAliases) {
    REQUIRE_OFFICIAL_MAP();
    std::vector<std::string> wrong;
    for (unsigned op = 0; op < 65536; ++op) {
        const uint16_t first = expected_first(static_cast<uint16_t>(op));
        const std::string alias = official().kind[op] == Kind::Illegal ? "r_illegal"
                                  : first == 0x6001                    ? "r_bra_b"
                                  : first == 0x6000                    ? "r_bra_w"
                                  : first == 0x51C8                    ? "r_dbra"
                                                                       : "";
        if (s68000handlerName(static_cast<uint16_t>(op)) != name_of(first) ||
            s68000handlerAlias(static_cast<uint16_t>(op)) != alias)
            wrong.push_back(hex(op));
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " opcodes with the wrong handler name, first "
                               << (wrong.empty() ? "" : wrong.front());
    // MOVE.W (An),D0 is one handler for A0 to A7.
    for (uint16_t op = 0x3010; op <= 0x3017; ++op) EXPECT_EQ(s68000handlerName(op), "N010");
    EXPECT_NE(s68000handlerName(0x300F), "N010");
    EXPECT_NE(s68000handlerName(0x3018), "N010");
    EXPECT_EQ(s68000handlerName(0xA123), "U000");
    EXPECT_EQ(s68000handlerName(0xFFFF), "Z000");
    EXPECT_EQ(s68000handlerName(0x6080), "Q001");
    EXPECT_EQ(s68000handlerAlias(0x60FF), "r_bra_b");
    EXPECT_EQ(s68000handlerAlias(0x6000), "r_bra_w");
    EXPECT_EQ(s68000handlerAlias(0x51CF), "r_dbra");
    EXPECT_EQ(s68000handlerName(0x7E80), "RE00");  // MOVEQ #-128,D7
}

}  // namespace
