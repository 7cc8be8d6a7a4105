// All 65,536 opcode words against the official decoding: each one run once
// from a fixed state, exactly the illegal ones take vector 4 and the line
// 1010 and 1111 ones vectors 10 and 11 (34 cycles, pushing their own address);
// every legal one runs without them, and is not named the illegal one.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <string>

#include "core_fixture.h"
#include "diagnostics.h"

#ifndef M68K_OFFICIAL_MAP
#error "M68K_OFFICIAL_MAP must name the official opcode decoding (JSON)"
#endif

namespace {

using namespace coretest;

class OpcodeMap : public CoreTest {};

TEST_F(OpcodeMap, EveryOpcodeRunsAsItsOfficialDecodingSays) {
    std::ifstream in(M68K_OFFICIAL_MAP);
    ASSERT_TRUE(in) << "the official opcode decoding is missing: " << M68K_OFFICIAL_MAP
                    << " (set -DBEVOREL_M68K_TESTS=<directory of the suite>)";
    const nlohmann::json decoding = nlohmann::json::parse(in, nullptr, false);
    ASSERT_TRUE(decoding.is_object() && decoding.size() == 65536) << "unreadable: " << M68K_OFFICIAL_MAP;
    auto decodes = [&](unsigned op) {
        char key[8];
        std::snprintf(key, sizeof key, "%04x", op);
        return decoding.value(key, std::string("None")) != "None";
    };

    start();
    s68000context& c = ctx();
    c.resethandler = [] {};
    const uint32_t frame = RESET_SSP - 6;
    int wrong = 0;
    for (unsigned op = 0; op < 65536; ++op) {
        // This core's two particulars: MOVE.B from an address register is legal
        // wherever MOVE.B from a data register is, and so is BTST #n,#imm.
        const bool move_b_from_an = (op >> 12) == 1 && ((op >> 3) & 7) == 1 && decodes(op & ~0x38u);
        const bool legal = decodes(op) || move_b_from_an || op == 0x083C;
        const unsigned expected_vector = (op >> 12) == 0xA ? 10 : (op >> 12) == 0xF ? 11 : legal ? 0 : 4;
        std::memset(c.dreg, 0, sizeof c.dreg);
        std::memset(c.areg, 0, sizeof c.areg);
        std::memset(c.interrupts, 0, sizeof c.interrupts);
        c.areg[7] = RESET_SSP;
        c.asp = 0x9000;
        c.sr = 0x2700;
        c.pc = CODE;
        c.fetch = c.s_fetch, c.readbyte = c.s_readbyte, c.readword = c.s_readword;
        c.writebyte = c.s_writebyte, c.writeword = c.s_writeword;
        for (unsigned v = 2; v < 64; ++v) mem.put32(4 * v, vector_target(v));  // whatever the last opcode wrote
        Asm(mem, CODE).w({static_cast<uint16_t>(op), 0, 0, 0, 0});
        mem.put32(frame + 2, 0xDEADBEEF);
        const uint32_t cycles = cycles_of(1);
        const bool pushed_own = c.areg[7] == frame && mem.get32(frame + 2) == CODE;
        unsigned took = 0;
        for (unsigned v : {4u, 10u, 11u})
            if (c.pc == vector_target(v) && pushed_own && cycles == 34) took = v;
        if (took != expected_vector && ++wrong <= 10) ADD_FAILURE() << "opcode " << op << " took vector " << took;
        // The diagnostics name the illegal-instruction handler as such.
        if ((s68000handlerAlias(static_cast<uint16_t>(op)) == "r_illegal") != (expected_vector == 4) && ++wrong <= 10)
            ADD_FAILURE() << "opcode " << op << " is named " << s68000handlerAlias(static_cast<uint16_t>(op));
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
