// Instruction words at and past the ends of program regions: instructions
// that run past a region's end take the missing words from the region that
// follows, branches and sequential flow leave regions, and no fetch ever
// reads outside an image.
#include <deque>

#include "core_fixture.h"

namespace {

using namespace coretest;

constexpr uint16_t MOVE_L_IMM_D0 = 0x203C;  // 12 cycles
constexpr uint32_t P = 0x40000;             // the program regions of these tests, ahead of the standard ones

class ProgramFetch : public CoreTest {};

TEST_F(ProgramFetch, InstructionWordsAtTheEndsOfProgramRegions) {
    struct Region {
        uint32_t low, high, at;
        std::vector<uint16_t> words;  // from `at`; bytes whose image position lies outside are left out
    };
    struct Case {
        const char* what;
        std::vector<Region> regions;  // in list order
        uint32_t pc;
        int32_t budget;
        uint32_t exit, cycles, end_pc, d0;
    };
    const std::vector<uint16_t> nops(8, NOP);
    const Case cases[] = {
        {"a tiny region's long runs into the next region",
         {{P, P + 5, P + 2, {MOVE_L_IMM_D0, 0x1122}}, {P + 6, P + 0xFF, P + 6, {0x3344, 0x7207, 0x60FE}}},
         P + 2, 16, OK, 16, P + 10, 0x11223344},
        {"so does a large region's",
         {{P, P + 0xFF, P + 0xF8, {NOP, NOP, MOVE_L_IMM_D0, 0x1122}},
          {P + 0x100, P + 0x1FF, P + 0x100, {0x3344, 0x7207}}},
         P + 0xF8, 24, OK, 24, P + 0x104, 0x11223344},
        {"words past every region read all ones",
         {{P, P + 5, P + 2, {MOVE_L_IMM_D0, 0x1122}}}, P + 2, 1, OK, 12, P + 8, 0x1122FFFF},
        {"the cached region's words, not an overlapping region's",
         {{P + 0xF8, P + 0xFF, P + 0xF8, {MOVE_L_IMM_D0, 0x5555, 0x6666}},
          {P, P + 0xFF, P + 0xF0, {NOP, NOP, NOP, NOP, MOVE_L_IMM_D0, 0x1122, 0x3344}}},
         P + 0xF0, 28, OK, 28, P + 0xFE, 0x11223344},
        {"sequential flow into the next region",
         {{P, P + 0xF, P, nops}, {P + 0x10, P + 0xFF, P + 0x10, {0x7007, 0x60FE}}}, P, 46, OK, 46, P + 0x12, 7},
        {"sequential flow into no region", {{P, P + 0xF, P, nops}}, P, 1000, NO_REGION, 32, P + 0x10, 0},
        {"a word branch into another region and a return",  // BSR.W P+0x8000, there ADDQ.L #1,D0; RTS
         {{P, P + 0xFF, P, {0x6100, 0x7FFE, 0x60FE}}, {P + 0x8000, P + 0x80FF, P + 0x8000, {0x5280, 0x4E75}}},
         P, 42, OK, 42, P + 4, 1},
        {"a word branch into no region",
         {{P, P + 0xFF, P, {0x7001, 0x6000, 0x3FFC}}}, P, 1000, NO_REGION, 14, P + 0x4000, 1},
        {"BRA.S -1 leaves an odd PC at the region's last byte",
         {{P, P + 3, P + 2, {0x60FF}}}, P + 2, 1, OK, 10, P + 3, 0},
        {"a word whose high byte lies in no region: line 1111",
         {{P, P + 1, P, {NOP}}, {P + 2, P + 2, P + 2, {0xFF71}}}, P, 5, OK, 4 + 34, vector_target(11), 0},
        {"TRAP #0 in a region's last word, vectored to itself",
         {{P, P + 9, P + 8, {0x4E40}}}, P + 8, 100, OK, 3 * 34, P + 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::deque<Image> images;
        for (const Region& r : c.regions) {
            Image& m = images.emplace_back(r.low, r.high);
            for (uint32_t i = 0; i < 2 * r.words.size(); ++i)
                if (const uint32_t position = (r.at + i - r.low) ^ 1; position < m.size())
                    m.host()[position] = static_cast<uint8_t>(r.words[i / 2] >> (i & 1 ? 0 : 8));
        }
        start(c.pc, [&](Lists& l) {
            for (Image& m : images) l.program(m);
        });
        mem.put32(32 * 4, P + 8);
        for (const Region& r : c.regions) EXPECT_EQ(s68000fetch(r.at), r.words[0]);  // as a debugger reads it
        uint32_t exit = 0;
        EXPECT_EQ(cycles_of(c.budget, &exit), c.cycles);
        EXPECT_EQ(exit, c.exit);
        EXPECT_EQ(ctx().pc, c.end_pc);
        EXPECT_EQ(D(0), c.d0);
        for (int i = 0; i < 4; ++i) s68000exec(1);  // whatever follows reads nothing outside an image
    }
}

}  // namespace
