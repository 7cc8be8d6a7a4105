// The data access cache: within a slice the core serves accesses to direct
// regions from the region each list served last. Every way the lists can
// change must reach the next access: handlers within a slice, mode switches
// and programs that write the records (or the context's list pointers)
// through a direct region.
#include <algorithm>
#include <array>
#include <cstddef>
#include <deque>
#include <random>

#include "core_fixture.h"

namespace {

using namespace coretest;

class DataCache : public CoreTest {
protected:
    static constexpr uint32_t RAM = 0x100000;
    Image x1{RAM, RAM + 0xFF}, x2{RAM, RAM + 0xFF};
    void SetUp() override {
        CoreTest::SetUp();
        for (uint32_t a = RAM; a < RAM + 0x100; a += 2)
            x1.put16(a, static_cast<uint16_t>(0x1000 | a)), x2.put16(a, static_cast<uint16_t>(0x2000 | a));
    }
};

// The program writes the read list's records (moved into the image of a
// direct region) and then the context's own list pointers (the context
// record mapped as a direct region): each write reaches the next access.
TEST_F(DataCache, ProgramsThatRewriteRecordsAndListPointersThroughADirectRegion) {
    constexpr uint32_t TABLE = 0x300000, CONTEXT = 0x400000;
    Image table(TABLE, TABLE + 0xFF), context_view(CONTEXT, CONTEXT + 1);
    start(CODE, [&](Lists& l) {
        l.data(table);
        l.data(x1);
        l.data(context_view);
    });
    for (auto* list : {&super.readbyte, &super.readword, &super.writebyte, &super.writeword})
        (*list)[2] = s68000_direct(CONTEXT, CONTEXT + uint32_t{sizeof(s68000context)} - 1, &_s68000context);
    ASSERT_LE(super.readword.size() * sizeof(data_region), 0xE0u);
    auto* moved = reinterpret_cast<data_region*>(table.host());
    std::copy(super.readword.begin(), super.readword.end(), moved);
    ctx().readword = ctx().s_readword = moved;
    Lists other;
    other.data(x2);
    other.finish();
    // The 68000 long whose image (two host-order words) is the host 32-bit value v.
    auto host_long = [](uint64_t v) { return static_cast<uint32_t>(v << 16 | (v & 0xFFFFFFFF) >> 16); };
    const auto pointer = reinterpret_cast<uintptr_t>(other.readword.data());
    const uint32_t x1_low = TABLE + static_cast<uint32_t>(sizeof(data_region)) + offsetof(data_region, low_address);
    const uint32_t field = CONTEXT + offsetof(s68000context, readword);
    code()
        .w(0x23FC).l(0).l(TABLE + 0xE0)  // MOVE.L #0 to the table, not its records
        .w(MOVE_L_ABS_D0 | 0 << 9).l(RAM + 0x30)
        .w(0x23FC).l(0).l(TABLE + 0xE0)  // again, now that a read entry depends on the table
        .w(0x23FC).l(host_long(RAM + 0x80)).l(x1_low)
        .w(MOVE_L_ABS_D0 | 1 << 9).l(RAM + 0x30)  // RAM starts at RAM + 0x80 now
        .w(MOVE_L_ABS_D0 | 2 << 9).l(RAM + 0x84)  // the image still starts at the old low address
        .w(0x23FC).l(host_long(pointer)).l(field)
        .w(0x23FC).l(host_long(uint64_t{pointer} >> 32)).l(field + 4)
        .w(MOVE_L_ABS_D0 | 3 << 9).l(RAM + 0x84);  // what the read before cached, now through the other list
    s68000exec(28 + 20 + 28 + 28 + 20 + 20 + 28 + 28 + 20);
    ASSERT_EQ(ctx().readword, other.readword.data());
    EXPECT_EQ(D(0), x1.get32(RAM + 0x30));
    EXPECT_EQ(D(1), 0xFFFFFFFFu);
    EXPECT_EQ(D(2), x1.get32(RAM + 0x04));
    EXPECT_EQ(D(3), x2.get32(RAM + 0x84));
}

// Supervisor and user lists map different stacks at the same addresses, and
// the user word list a vector table of its own, all in one slice: MOVE.W to
// the user stack, TRAP #3 through the user table to a routine on the
// supervisor stack, RTE, and MOVE #0,SR back from a second trap.
TEST_F(DataCache, ModeSwitchesSwitchStacksAndListsWithinASlice) {
    Image ssp_stack{0x20000, 0x20FFF}, usp_stack{0x20000, 0x20FFF}, user_vectors{0x000, 0x3FF};
    super.program(mem);
    super.data(ssp_stack);
    super.data(mem);
    user.program(mem);
    user.data(usp_stack);
    user.readword.push_back(s68000_direct(0, 0x3FF, user_vectors.host()));
    user.data(mem);
    super.finish();
    user.finish();
    install(super, user);
    mem.put32(0, 0x20F00);
    mem.put32(4, CODE);
    ASSERT_EQ(s68000reset(), 0);
    code().w({0x3F3C, 0x1234, 0x4E43, 0x321F, 0x4E44});  // MOVE.W #$1234,-(A7); TRAP #3; MOVE.W (A7)+,D1; TRAP #4
    mem.put32(0x8C, 0x7000);           // the supervisor's table: not used for TRAP #3
    user_vectors.put32(0x8C, 0x6000);  // the user word list's table
    user_vectors.put32(0x90, 0x6100);
    code(0x6000).w({0x3F3C, 0x5678, 0x548F, RTE});  // MOVE.W #$5678,-(A7); ADDQ.L #2,A7; RTE
    code(0x6100).w({0x3F3C, 0x9ABC, 0x46FC, 0x0000, 0x3F3C, 0x4321, 0x60FE});  // ...; MOVE #0,SR; MOVE.W #$4321,-(A7)
    ctx().asp = 0x20800;
    set_sr(0x0000);
    // MOVE.W 12, TRAP 34, MOVE.W 12, ADDQ 8, RTE 20, MOVE.W 8, TRAP 34, MOVE.W 12, MOVE to SR 16, MOVE.W 12
    EXPECT_EQ(cycles_of(168), 168u);
    EXPECT_EQ(ctx().pc, 0x610Cu);
    EXPECT_EQ(D(1), 0x1234u);  // read back from the user stack
    EXPECT_EQ(usp_stack.get16(0x207FE), 0x4321);
    EXPECT_EQ(ssp_stack.get16(0x20EF8), 0x9ABC);
    EXPECT_EQ(ssp_stack.get32(0x20EFC), CODE + 10);  // TRAP #4's frame
    EXPECT_EQ(ssp_stack.get16(0x207FE), 0);
    EXPECT_EQ(usp_stack.get32(0x20EFC), 0u);
    EXPECT_EQ(A(7), 0x207FEu);
    EXPECT_EQ(ctx().asp, 0x20EF8u);
    EXPECT_EQ(ctx().readword, user.readword.data());
    EXPECT_EQ(ctx().writebyte, user.writebyte.data());
    EXPECT_EQ(ctx().fetch, user.fetch.data());
}

// Random layouts: regions direct or served by handlers, overlapping, some
// with odd bounds, in another order in each list, and handlers (also the
// reset handler) that now and then swap two direct records or shrink one.
// The same program of moves and read-modify-writes near the regions' bounds
// runs in slices (served from the cache where it can) and in single steps
// (which cache nothing); without the list changes, in single steps with and
// without watchpoints armed (served through watching copies of the lists).
// Each pair ends with the same registers, images and calls.
TEST_F(DataCache, SlicesMatchSingleStepsInRandomLayouts) {
    struct Outcome {
        std::vector<uint32_t> dreg;
        std::vector<std::vector<uint8_t>> images;
        Log calls;
        bool operator==(const Outcome&) const = default;
    };
    enum Mode { SLICED, STEPPED, PLAIN, WATCHED };
    auto run = [this](uint32_t seed, Mode mode) {
        std::mt19937 rng(seed);
        std::deque<Image> images;
        std::vector<data_region> regions;
        for (unsigned i = 0, n = 4 + rng() % 6; i < n; ++i) {
            const uint32_t low = RAM + rng() % 0x180, high = low + rng() % 0x80;
            if (rng() % 4 == 0) {
                regions.push_back(s68000_reader(low, high, port_read));  // a writer in write lists
                continue;
            }
            Image& image = images.emplace_back(low, high);
            for (size_t b = 0; b < image.size(); ++b) image.host()[b] = static_cast<uint8_t>(rng());
            regions.push_back(s68000_direct(low, high, image.host()));
        }
        Lists l;
        l.program(mem);
        std::vector<uint32_t> bounds;
        for (auto* list : {&l.readbyte, &l.readword, &l.writebyte, &l.writeword}) {
            for (data_region r : regions) {
                if (rng() % 5 == 0) continue;  // not in this list
                if (r.handler && (list == &l.writebyte || list == &l.writeword))
                    r = s68000_writer(r.low_address, r.high_address, port_write);
                list->push_back(r);
                bounds.insert(bounds.end(), {r.low_address, r.high_address});
            }
            std::shuffle(list->begin(), list->end(), rng);
            list->push_back(s68000_direct(0, 0xFFFF, mem.host()));
        }
        l.finish();
        install(l, l);
        mem.put32(0, RESET_SSP);
        mem.put32(4, CODE);
        EXPECT_EQ(s68000reset(), 0);
        auto address = [&] { return (bounds.empty() ? RAM : bounds[rng() % bounds.size()]) + rng() % 7 - 3; };
        Asm a = code();
        for (int i = 0; i < 60; ++i) {
            static constexpr uint16_t SIZE[3] = {0x1000, 0x3000, 0x2000}, QUICK[3] = {0x00, 0x40, 0x80};
            const unsigned size = rng() % 3, d = rng() % 8, kind = rng() % 25;
            if (kind == 0) a.w(0x4E70);                                                        // RESET
            else if (kind < 7) a.w(static_cast<uint16_t>(SIZE[size] | d << 9 | 0x039)).l(address());  // MOVE abs,Dd
            else if (kind < 13) a.w(static_cast<uint16_t>(SIZE[size] | 0x3C0 | d)).l(address());      // MOVE Dd,abs
            else if (kind < 19) a.w(static_cast<uint16_t>(SIZE[size] | 0x3F9)).l(address()).l(address());
            else a.w(static_cast<uint16_t>(0x5239 | QUICK[size])).l(address());               // ADDQ #1,abs
        }
        const uint32_t end = a.here();
        a.w(0x60FE);
        for (uint32_t& d : ctx().dreg) d = static_cast<uint32_t>(rng());
        static std::mt19937 handler_rng;
        handler_rng.seed(seed);
        port_reply = [](uint32_t address) { return address * 0x9E3779B1u; };
        port_action = nullptr;
        if (mode <= STEPPED) port_action = [] {  // two direct records of a list trade places, or one shrinks
            const s68000context& c = _s68000context;
            data_region* list = std::array{c.readbyte, c.readword, c.writebyte, c.writeword}[handler_rng() % 4];
            size_t n = 0;
            while (list[n].low_address != 0xFFFFFFFFu) ++n;
            if (const size_t i = handler_rng() % n; handler_rng() % 2) {
                if (i + 1 < n && !list[i].handler && !list[i + 1].handler) std::swap(list[i], list[i + 1]);
            } else {
                list[i].high_address = list[i].low_address + (list[i].high_address - list[i].low_address) / 2;
            }
        };
        ctx().resethandler = [] {
            if (port_action) port_action();
        };
        port_log.clear();
        for (int i = 0; mode == WATCHED && i < 4; ++i)
            s68000setWatchpoint(RAM + rng() % 0x200, 1 + rng() % 6, 1 + static_cast<int>(rng() % 3));
        for (int step = 0; step < 200 && ctx().pc != end; ++step) {
            if (mode == WATCHED) s68000armWatchpoints();
            s68000exec(mode == SLICED ? 5 + static_cast<int32_t>(rng() % 300) : 1);
            s68000disarmWatchpoints();
        }
        s68000clearWatchpoints();
        uint32_t hit_address;
        int hit_kinds;
        s68000takeWatchHit(&hit_address, &hit_kinds);
        EXPECT_EQ(ctx().pc, end) << "seed " << seed;
        Outcome out{{std::begin(ctx().dreg), std::end(ctx().dreg)}, {}, port_log};
        for (const Image& image : images) out.images.push_back(image.snapshot());
        return out;
    };
    for (uint32_t seed = 1; seed <= 2000; ++seed) {
        ASSERT_EQ(run(seed, SLICED), run(seed, STEPPED)) << "seed " << seed;
        if (seed <= 300) ASSERT_EQ(run(seed, WATCHED), run(seed, PLAIN)) << "seed " << seed;  // copies are kept
    }
}

}  // namespace
