// The data access cache: within a slice the core serves accesses to direct
// regions from the region each list served last. Every way the lists can
// change must reach the next access: the host between slices, handlers and
// the reset handler during a slice, and programs that write the records (or
// the context's list pointers) through a direct region.
#include <algorithm>
#include <cstddef>
#include <deque>
#include <memory>
#include <random>

#include "core_fixture.h"

namespace {

using namespace coretest;

// Random layouts against the same program run one instruction per slice
// (such slices cache nothing): regions direct or served by handlers,
// overlapping, some with odd bounds, in another order in each list; handlers
// and the reset handler that swap direct records, shrink regions or install
// another list now and then, and the host doing the same (or SetContext)
// between slices.
class RandomLayout : public CoreTest {
protected:
    static constexpr uint32_t WINDOW = 0x100000;  // regions lie in WINDOW..WINDOW + 0x3FF

    struct Machine {
        std::deque<Image> images;
        Lists lists;
        std::vector<data_region> other_readword;
    };

    std::unique_ptr<Machine> build(uint32_t seed) {
        std::mt19937 rng(seed);
        auto m = std::make_unique<Machine>();
        std::vector<data_region> regions;
        for (int i = 0, count = 3 + static_cast<int>(rng() % 5); i < count; ++i) {
            const uint32_t low = WINDOW + rng() % 0x380;
            const uint32_t high = low + rng() % 0x80;
            if (rng() % 4 == 0) {
                regions.push_back(s68000_reader(low, high, port_read));  // a writer in write lists
            } else {
                Image& image = m->images.emplace_back(low, high);
                for (size_t b = 0; b < image.size(); ++b) image.host()[b] = static_cast<uint8_t>(rng());
                regions.push_back(s68000_direct(low, high, image.host()));
            }
        }
        Lists& l = m->lists;
        l.program(mem);
        for (auto* list : {&l.readbyte, &l.readword, &l.writebyte, &l.writeword}) {
            const bool write = list == &l.writebyte || list == &l.writeword;
            for (data_region r : regions) {
                if (rng() % 5 == 0) continue;  // not in this list
                if (r.handler) r = write ? s68000_writer(r.low_address, r.high_address, port_write)
                                         : s68000_reader(r.low_address, r.high_address, port_read);
                list->push_back(r);
            }
            std::shuffle(list->begin(), list->end(), rng);
            list->push_back(s68000_direct(0, 0xFFFF, mem.host()));
        }
        l.finish();
        m->other_readword = l.readword;
        std::reverse(m->other_readword.begin(), m->other_readword.end() - 2);
        return m;
    }

    // Memory moves and read-modify-writes at addresses near the regions'
    // bounds, and RESET now and then, ending with BRA.S *; returns its address.
    uint32_t write_program(uint32_t seed, const Machine& m) {
        std::mt19937 rng(seed ^ 0x5EED);
        std::vector<uint32_t> bounds;
        for (const data_region& r : m.lists.readword)
            if (r.low_address >= WINDOW && r.low_address != 0xFFFFFFFFu)
                bounds.insert(bounds.end(), {r.low_address, r.high_address});
        auto address = [&] { return (bounds.empty() ? WINDOW : bounds[rng() % bounds.size()]) + rng() % 7 - 3; };
        Asm a = code();
        for (int i = 0; i < 60; ++i) {
            static constexpr uint16_t SIZE[3] = {0x1000, 0x3000, 0x2000};  // MOVE.B .W .L
            static constexpr uint16_t QUICK[3] = {0x0000, 0x0040, 0x0080};
            const unsigned size = rng() % 3, d = rng() % 8, kind = rng() % 25;
            if (kind == 0) a.w(0x4E70);                                                    // RESET
            else if (kind < 7) a.w(static_cast<uint16_t>(SIZE[size] | d << 9 | 0x039)).l(address());  // MOVE abs,Dd
            else if (kind < 13) a.w(static_cast<uint16_t>(SIZE[size] | 0x3C0 | d)).l(address());      // MOVE Dd,abs
            else if (kind < 19) a.w(static_cast<uint16_t>(SIZE[size] | 0x3F9)).l(address()).l(address());
            else a.w(static_cast<uint16_t>(0x5239 | QUICK[size])).l(address());           // ADDQ #1,abs
        }
        const uint32_t end = a.here();
        a.w(0x60FE);
        return end;
    }

    // One change of the lists: two direct records of a current list trade
    // places (a handler's record stays: a long access calls it again for its
    // second word), a record shrinks, or another read list is installed.
    static void change_lists(std::mt19937& rng, Machine& m) {
        s68000context& c = _s68000context;
        data_region* lists[4] = {c.readbyte, c.readword, c.writebyte, c.writeword};
        data_region* list = lists[rng() % 4];
        size_t n = 0;
        while (list[n].low_address != 0xFFFFFFFFu) ++n;
        switch (rng() % 4) {
            case 0: break;
            case 1:
                if (const size_t i = n >= 2 ? rng() % (n - 1) : 0; n >= 2 && !list[i].handler && !list[i + 1].handler)
                    std::swap(list[i], list[i + 1]);
                break;
            case 2: {
                data_region& r = list[rng() % n];
                r.high_address = r.low_address + (r.high_address - r.low_address) / 2;
                break;
            }
            default: c.readword = m.other_readword.data(); break;
        }
    }

    struct Outcome {
        uint32_t dreg[8];
        uint16_t sr;
        std::vector<std::vector<uint8_t>> images;
        std::vector<PortCall> calls;
        bool operator==(const Outcome&) const = default;
    };

    // SLICED: slices of random budgets, with a host change after each, at
    // PCs noted in `boundaries`; STEPPED: single steps, with the same host
    // changes at the same PCs. PLAIN and WATCHED: single steps without any
    // change of the lists, WATCHED with random watchpoints armed.
    enum Mode { SLICED, STEPPED, PLAIN, WATCHED };
    Outcome run(uint32_t seed, Mode mode, std::vector<uint32_t>& boundaries) {
        std::unique_ptr<Machine> m = build(seed);
        install(m->lists, m->lists);
        mem.put32(0, RESET_SSP);
        mem.put32(4, CODE);
        EXPECT_EQ(s68000reset(), 0);
        const uint32_t end = write_program(seed, *m);
        std::mt19937 rng(seed ^ 0xD0), host_rng(seed ^ 0xB0B), budgets(seed ^ 0x511CE);
        for (uint32_t& d : ctx().dreg) d = static_cast<uint32_t>(rng());
        port_log.clear();
        auto handler_rng = std::make_shared<std::mt19937>(seed ^ 0xACED);
        port_reply = [](uint32_t address) { return address * 0x9E3779B1u; };
        if (mode <= STEPPED) port_action = [handler_rng, &m] { change_lists(*handler_rng, *m); };
        ctx().resethandler = [] {
            if (port_action) port_action();
        };
        auto host_change = [&] {
            if (host_rng() % 4) return change_lists(host_rng, *m);
            s68000context copy = ctx();
            copy.readword = m->other_readword.data();
            s68000SetContext(&copy);
        };
        for (int i = 0; mode == WATCHED && i < 4; ++i)
            s68000setWatchpoint(WINDOW + rng() % 0x400, 1 + rng() % 6, 1 + rng() % 3);
        size_t next = 0;
        for (int step = 0; step < 200 && ctx().pc != end; ++step) {
            if (mode == WATCHED) s68000armWatchpoints();
            s68000exec(mode != SLICED ? 1 : budgets() % 2 ? 5 + static_cast<int32_t>(budgets() % 300) : 100000);
            if (mode == WATCHED) s68000disarmWatchpoints();
            if (mode == SLICED && ctx().pc != end) boundaries.push_back(ctx().pc);
            if (mode <= STEPPED && next < boundaries.size() && ctx().pc == boundaries[next]) host_change(), ++next;
        }
        s68000clearWatchpoints();
        uint32_t hit_address;
        int hit_kinds;
        s68000takeWatchHit(&hit_address, &hit_kinds);
        if (mode == WATCHED) EXPECT_EQ(ctx().readword, m->lists.readword.data());  // the host's lists back
        EXPECT_EQ(next, mode <= STEPPED ? boundaries.size() : 0);
        EXPECT_EQ(ctx().pc, end) << "seed " << seed << ", mode " << mode;
        Outcome out{{}, ctx().sr, {}, port_log};
        std::copy(std::begin(ctx().dreg), std::end(ctx().dreg), out.dreg);
        for (const Image& image : m->images) out.images.push_back(image.snapshot());
        port_action = nullptr;
        return out;
    }
};

TEST_F(RandomLayout, SlicesMatchSingleStepsAndWatchingIsInvisible) {
    int handler_calls = 0;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        std::vector<uint32_t> boundaries;
        const Outcome sliced = run(seed, SLICED, boundaries);
        ASSERT_EQ(sliced, run(seed, STEPPED, boundaries)) << "seed " << seed;
        const Outcome plain = run(seed, PLAIN, boundaries);
        ASSERT_EQ(run(seed, WATCHED, boundaries), plain) << "seed " << seed;
        handler_calls += static_cast<int>(sliced.calls.size() + plain.calls.size());
    }
    std::printf("400 random layouts, %d handler calls\n", handler_calls);
}

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
        .w(0x23FC).l(host_long(RAM + 0x80)).l(x1_low)
        .w(MOVE_L_ABS_D0 | 1 << 9).l(RAM + 0x30)  // RAM starts at RAM + 0x80 now
        .w(MOVE_L_ABS_D0 | 2 << 9).l(RAM + 0x84)  // the image still starts at the old low address
        .w(0x23FC).l(host_long(pointer)).l(field)
        .w(0x23FC).l(host_long(uint64_t{pointer} >> 32)).l(field + 4)
        .w(MOVE_L_ABS_D0 | 3 << 9).l(RAM + 0x84);  // what the read before cached, now through the other list
    s68000exec(28 + 20 + 28 + 20 + 20 + 28 + 28 + 20);
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

// s68000flushInterrupts reads the vector through the current lists as the
// host left them, after a slice that cached the old ones.
TEST_F(DataCache, FlushInterruptsUsesTheListsAsTheHostLeftThem) {
    Image table1(0, 0xFF), table2(0, 0xFF);  // data views of the vector table
    table1.put32(4 * 28, 0x4000);
    table2.put32(4 * 28, 0x5000);
    start(CODE, [&](Lists& l) { l.data(table1); });
    Lists other;
    other.data(table2);
    other.data(mem);
    other.finish();
    code().w(MOVE_L_ABS_D0).l(4 * 28).w(0x60FE);
    s68000exec(100);
    EXPECT_EQ(D(0), 0x4000u);
    ctx().readword = other.readword.data();
    ASSERT_EQ(s68000interrupt(4, -1), 0);
    ctx().sr = 0x2000;  // mask 0: the request is due
    s68000flushInterrupts();
    EXPECT_EQ(ctx().pc, 0x5000u);
}

}  // namespace
