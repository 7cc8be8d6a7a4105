// The data access cache: within a slice the core serves accesses to direct
// regions from the region each list served last. Every way the lists can
// change must reach the next access: records rewritten in place or new list
// pointers between calls (slices, SetContext, reset, flushInterrupts), the
// mode's other lists (SR writes, exceptions, RTE), handlers and the reset
// handler that change lists during a slice, and programs that write the
// records (or the context's list pointers) through a direct region. Earlier
// records that overlap the cached region keep their addresses.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <random>

#include "core_fixture.h"

namespace {

using namespace coretest;

constexpr uint32_t RAM = 0x100000;  // 0x100000-0x1000FF in these tests
constexpr uint32_t ROM = 0x200000;  // a second region, 0x200000-0x2000FF

// Fills an image with words that tell images and addresses apart.
void pattern(Image& m, uint16_t id) {
    for (uint32_t a = m.low() & ~1u; a + 1 <= m.high(); a += 2)
        m.put16(a, static_cast<uint16_t>(id << 12 | ((a - m.low()) & 0xFFF)));
}

// Instructions with absolute long addresses, assembled at CODE.
class Program {
public:
    explicit Program(Asm a) : a_(a) {}
    Program& load_b(uint32_t at, int d) { return op(0x1039 | d << 9, at); }
    Program& load_w(uint32_t at, int d) { return op(0x3039 | d << 9, at); }
    Program& load_l(uint32_t at, int d) { return op(0x2039 | d << 9, at); }
    Program& store_b(int d, uint32_t at) { return op(0x13C0 | d, at); }
    Program& store_w(int d, uint32_t at) { return op(0x33C0 | d, at); }
    Program& store_l(int d, uint32_t at) { return op(0x23C0 | d, at); }
    Program& store_l_imm(uint32_t v, uint32_t at) {
        a_.w(0x23FC).l(v).l(at);
        return *this;
    }
    Program& word(uint16_t w) {
        a_.w(w);
        return *this;
    }
    // Ends the program with BRA.S * and returns the address of that branch.
    uint32_t end() {
        const uint32_t at = a_.here();
        a_.w(0x60FE);
        return at;
    }

private:
    Program& op(int opcode, uint32_t at) {
        a_.w(static_cast<uint16_t>(opcode)).l(at);
        return *this;
    }
    Asm a_;
};

class DataCache : public CoreTest {
protected:
    Image x1{RAM, RAM + 0xFF};
    Image x2{RAM, RAM + 0xFF};
    Image rom{ROM, ROM + 0xFF};

    void SetUp() override {
        CoreTest::SetUp();
        pattern(x1, 1);
        pattern(x2, 2);
        pattern(rom, 3);
    }
    Program program(uint32_t at = CODE) { return Program(code(at)); }
    // Runs the program at CODE from its start to its final branch in one slice.
    void run_slice(uint32_t end) {
        ctx().pc = CODE;
        s68000exec(2000);
        ASSERT_EQ(s68000readPC(), end) << "the program did not run to its end";
    }
    static data_region& record(std::vector<data_region>& list, uint32_t low) {
        for (data_region& r : list)
            if (r.low_address == low) return r;
        ADD_FAILURE() << "no record at " << low;
        return list.back();
    }
    // The four data lists of the supervisor set.
    std::vector<std::vector<data_region>*> super_lists() {
        return {&super.readbyte, &super.readword, &super.writebyte, &super.writeword};
    }
};

// Reads and writes RAM through all four lists.
uint32_t every_list(Program p) {
    return p.load_b(RAM + 0x11, 0).load_w(RAM + 0x20, 1).load_l(RAM + 0x30, 2)
        .store_b(3, RAM + 0x41).store_w(3, RAM + 0x50).store_l(3, RAM + 0x60).end();
}

TEST_F(DataCache, RecordsRewrittenInPlaceBetweenSlicesServeTheNextSlice) {
    start(CODE, [&](Lists& l) { l.data(x1); });
    const uint32_t end = every_list(program());
    ctx().dreg[3] = 0xA1A2A3A4;
    run_slice(end);
    EXPECT_EQ(D(2), x1.get32(RAM + 0x30));
    EXPECT_EQ(x1.get32(RAM + 0x60), 0xA1A2A3A4u);

    // Same lists, same list pointers: only the records' images change.
    for (auto* list : super_lists()) record(*list, RAM).user_data = x2.host();
    ctx().dreg[3] = 0xB1B2B3B4;
    run_slice(end);
    EXPECT_EQ(D(0) & 0xFF, x2.get8(RAM + 0x11));
    EXPECT_EQ(D(1) & 0xFFFF, x2.get16(RAM + 0x20));
    EXPECT_EQ(D(2), x2.get32(RAM + 0x30));
    EXPECT_EQ(x2.get8(RAM + 0x41), 0xB4);
    EXPECT_EQ(x2.get16(RAM + 0x50), 0xB3B4);
    EXPECT_EQ(x2.get32(RAM + 0x60), 0xB1B2B3B4u);
    EXPECT_EQ(x1.get32(RAM + 0x60), 0xA1A2A3A4u);

    // Bounds moved past the addresses: unmapped now.
    for (auto* list : super_lists()) record(*list, RAM).low_address = RAM + 0x80;
    run_slice(end);
    EXPECT_EQ(D(0) & 0xFF, 0xFFu);
    EXPECT_EQ(D(2), 0xFFFFFFFFu);
    EXPECT_EQ(x2.get32(RAM + 0x60), 0xB1B2B3B4u);

    // And a handler in its place.
    record(super.readword, RAM + 0x80) = s68000_reader(RAM, RAM + 0xFF, port_read);
    record(super.writeword, RAM + 0x80) = s68000_writer(RAM, RAM + 0xFF, port_write);
    port_value = 0x1234;
    ctx().dreg[3] = 0xC1C2C3C4;
    run_slice(end);
    EXPECT_EQ(D(2), 0x12341234u);
    EXPECT_EQ(port_log, (std::vector<PortCall>{{false, RAM + 0x20, 0},
                                                {false, RAM + 0x30, 0},
                                                {false, RAM + 0x32, 0},
                                                {true, RAM + 0x50, 0xC3C4},
                                                {true, RAM + 0x60, 0xC1C2},
                                                {true, RAM + 0x62, 0xC3C4}}));
}

TEST_F(DataCache, NewListPointersBetweenSlicesServeTheNextSlice) {
    start(CODE, [&](Lists& l) { l.data(x1); });
    Lists other;
    other.data(x2);
    other.finish();
    const uint32_t end = program().load_l(RAM + 0x30, 0).store_l(3, RAM + 0x60).end();
    ctx().dreg[3] = 0x01020304;
    run_slice(end);
    EXPECT_EQ(D(0), x1.get32(RAM + 0x30));
    // The host stores new pointers (the program's code stays reachable: only
    // the data lists change).
    ctx().readword = other.readword.data();
    ctx().writeword = other.writeword.data();
    run_slice(end);
    EXPECT_EQ(D(0), x2.get32(RAM + 0x30));
    EXPECT_EQ(x2.get32(RAM + 0x60), 0x01020304u);
}

TEST_F(DataCache, SetContextServesTheListsOfItsRecord) {
    start(CODE, [&](Lists& l) { l.data(x1); });
    Lists other;
    other.data(x2);
    other.finish();
    const uint32_t end = program().load_l(RAM + 0x30, 0).end();
    run_slice(end);
    EXPECT_EQ(D(0), x1.get32(RAM + 0x30));
    std::vector<uint8_t> saved(s68000GetContextSize());
    s68000GetContext(saved.data());
    s68000context changed;
    std::memcpy(&changed, saved.data(), sizeof changed);
    changed.readword = other.readword.data();
    s68000SetContext(&changed);
    run_slice(end);
    EXPECT_EQ(D(0), x2.get32(RAM + 0x30));
    s68000SetContext(saved.data());
    run_slice(end);
    EXPECT_EQ(D(0), x1.get32(RAM + 0x30));
}

TEST_F(DataCache, ResetInstallsTheSupervisorListsAnew) {
    start(CODE, [&](Lists& l) { l.data(x1); });
    Lists other;
    other.program(mem);
    other.data(x2);
    other.data(mem);
    other.finish();
    const uint32_t end = program().load_l(RAM + 0x30, 0).end();
    run_slice(end);
    EXPECT_EQ(D(0), x1.get32(RAM + 0x30));
    ctx().s_readword = other.readword.data();
    ASSERT_EQ(s68000reset(), 0);
    run_slice(end);
    EXPECT_EQ(D(0), x2.get32(RAM + 0x30));
}

// s68000flushInterrupts reads the vector and pushes the frame through the
// current lists as the host left them.
TEST_F(DataCache, FlushInterruptsUsesTheListsAsTheHostLeftThem) {
    Image table1(0, 0xFF), table2(0, 0xFF);  // data views of the vector table
    table1.put32(4 * 28, 0x4000);
    table2.put32(4 * 28, 0x5000);
    start(CODE, [&](Lists& l) { l.data(table1); });
    Lists other;
    other.data(table2);
    other.data(mem);
    other.finish();
    const uint32_t end = program().load_l(4 * 28, 0).end();
    run_slice(end);
    EXPECT_EQ(D(0), 0x4000u);
    ctx().readword = other.readword.data();
    ASSERT_EQ(s68000interrupt(4, 28), 0);
    ctx().sr = 0x2000;  // mask 0: the request is due
    s68000flushInterrupts();
    EXPECT_EQ(ctx().pc, 0x5000u);
}

TEST_F(DataCache, ModeSwitchesServeTheOtherModesLists) {
    // RAM is x1 to the supervisor and x2 to the user.
    start(CODE, [&](Lists& l) { l.data(&l == &super ? x1 : x2); });
    ctx().asp = 0x7000;  // USP
    for (int d = 5; d <= 7; ++d) ctx().dreg[d] = 0x11111111u * static_cast<uint32_t>(d);
    program(vector_target(32)).load_l(RAM + 0x30, 2).store_l(7, RAM + 0x64).word(0x4E73);  // ... RTE
    const uint32_t end = program()
                             .load_l(RAM + 0x30, 0)
                             .word(0x46FC).word(0x0000)  // MOVE #$0000,SR: to user mode
                             .load_l(RAM + 0x30, 1)
                             .store_l(6, RAM + 0x60)
                             .word(0x4E40)  // TRAP #0: to supervisor mode and back
                             .load_l(RAM + 0x30, 3)
                             .store_l(5, RAM + 0x68)
                             .end();
    const uint32_t s_value = x1.get32(RAM + 0x30);
    const uint32_t u_value = x2.get32(RAM + 0x30);
    const uint32_t untouched = x1.get32(RAM + 0x60);
    ASSERT_NE(s_value, u_value);
    run_slice(end);
    EXPECT_EQ(D(0), s_value);
    EXPECT_EQ(D(1), u_value);
    EXPECT_EQ(D(2), s_value);
    EXPECT_EQ(D(3), u_value);
    EXPECT_EQ(x2.get32(RAM + 0x60), 0x66666666u);
    EXPECT_EQ(x1.get32(RAM + 0x64), 0x77777777u);
    EXPECT_EQ(x2.get32(RAM + 0x68), 0x55555555u);
    EXPECT_EQ(x1.get32(RAM + 0x60), untouched);
}

// Port accesses and RESET switch RAM between x1 and x2 by rewriting its
// records in place, while ROM is read in between (so that RAM's region is
// sometimes the list's second cached region).
void swap_ram_images_on_reset() { port_action(); }

TEST_F(DataCache, HandlersThatRewriteRecordsReachTheNextAccess) {
    start(CODE, [&](Lists& l) {
        l.data(x1);
        l.data(rom);
    });
    port_action = [&] {
        for (auto* list : super_lists()) {
            data_region& r = record(*list, RAM);
            r.user_data = r.user_data == x1.host() ? x2.host() : x1.host();
        }
    };
    ctx().resethandler = swap_ram_images_on_reset;
    ctx().dreg[6] = 0x600DF00D;
    const uint32_t end = program()
                             .load_l(RAM + 0x30, 0)
                             .load_l(ROM + 0x10, 1)
                             .store_w(1, PORT)        // write handler: x2
                             .load_l(RAM + 0x30, 2)
                             .load_l(ROM + 0x10, 1)
                             .load_w(PORT, 3)         // read handler: x1
                             .load_l(RAM + 0x30, 4)
                             .store_l(6, RAM + 0x60)
                             .word(0x4E70)            // RESET: x2
                             .store_l(6, RAM + 0x64)
                             .load_b(RAM + 0x31, 5)
                             .end();
    run_slice(end);
    EXPECT_EQ(D(0), x1.get32(RAM + 0x30));
    EXPECT_EQ(D(2), x2.get32(RAM + 0x30));
    EXPECT_EQ(D(4), x1.get32(RAM + 0x30));
    EXPECT_EQ(x1.get32(RAM + 0x60), 0x600DF00Du);
    EXPECT_EQ(x2.get32(RAM + 0x64), 0x600DF00Du);
    EXPECT_NE(x1.get32(RAM + 0x64), 0x600DF00Du);
    EXPECT_EQ(D(5) & 0xFF, x2.get8(RAM + 0x31));
}

TEST_F(DataCache, HandlersThatInstallOtherListsReachTheNextAccess) {
    start(CODE, [&](Lists& l) { l.data(x1); });
    Lists other;
    other.data(x2);
    other.finish();
    port_action = [&] { ctx().readword = other.readword.data(); };
    const uint32_t end = program().load_l(RAM + 0x30, 0).store_w(0, PORT).load_l(RAM + 0x30, 1).end();
    run_slice(end);
    EXPECT_EQ(D(0), x1.get32(RAM + 0x30));
    EXPECT_EQ(D(1), x2.get32(RAM + 0x30));
}

// The 68000 long whose image (two host-order words) is the host 32-bit value v.
constexpr uint32_t long_with_host_value(uint32_t v) { return v << 16 | v >> 16; }

// The read list's records lie in the image of a direct region that the
// program writes: a record it rewrites serves the next access.
TEST_F(DataCache, ProgramsThatRewriteRecordsThroughADirectRegion) {
    constexpr uint32_t TABLE = 0x300000;
    Image table(TABLE, TABLE + 0xFF);
    start(CODE, [&](Lists& l) {
        l.data(table);
        l.data(x1);
    });
    // The supervisor's word read list, moved into the table's image.
    const size_t records = super.readword.size();
    ASSERT_LE(records * sizeof(data_region), 0x80u);
    auto* moved = reinterpret_cast<data_region*>(table.host());
    std::copy(super.readword.begin(), super.readword.end(), moved);
    ctx().readword = ctx().s_readword = moved;
    const uint32_t x1_low = TABLE + static_cast<uint32_t>(sizeof(data_region)) + offsetof(data_region, low_address);
    const uint32_t end = program()
                             .store_l_imm(0, TABLE + 0x80)  // the table, not its records
                             .load_l(RAM + 0x30, 0)
                             .store_l_imm(long_with_host_value(RAM + 0x80), x1_low)
                             .load_l(RAM + 0x30, 1)  // RAM starts at RAM + 0x80 now
                             .load_l(RAM + 0x84, 2)
                             .end();
    run_slice(end);
    EXPECT_EQ(moved[1].low_address, RAM + 0x80);
    EXPECT_EQ(D(0), x1.get32(RAM + 0x30));
    EXPECT_EQ(D(1), 0xFFFFFFFFu);
    EXPECT_EQ(D(2), x1.get32(RAM + 0x04));  // the image still starts at the old low address
}

// The context's own list pointers written through a direct region.
TEST_F(DataCache, ProgramsThatRewriteTheListPointersThroughADirectRegion) {
    constexpr uint32_t CONTEXT = 0x400000;
    Image unused(CONTEXT, CONTEXT + 1);
    start(CODE, [&](Lists& l) {
        l.data(x1);
        l.data(unused);  // replaced below by the context record's bytes
    });
    for (auto* list : super_lists()) {
        data_region& r = record(*list, CONTEXT);
        r.high_address = CONTEXT + static_cast<uint32_t>(sizeof(s68000context)) - 1;
        r.user_data = &_s68000context;
    }
    Lists other;
    other.data(x2);
    other.finish();
    const auto pointer = reinterpret_cast<uintptr_t>(other.readword.data());
    const uint32_t field = CONTEXT + offsetof(s68000context, readword);
    const uint32_t end = program()
                             .load_l(RAM + 0x30, 0)
                             .store_l_imm(long_with_host_value(static_cast<uint32_t>(pointer)), field)
                             .store_l_imm(long_with_host_value(static_cast<uint32_t>(uint64_t{pointer} >> 32)), field + 4)
                             .load_l(RAM + 0x30, 1)
                             .end();
    run_slice(end);
    ASSERT_EQ(ctx().readword, other.readword.data());
    EXPECT_EQ(D(0), x1.get32(RAM + 0x30));
    EXPECT_EQ(D(1), x2.get32(RAM + 0x30));
}

// Earlier records inside the range of a cached region, one with odd bounds.
TEST_F(DataCache, EarlierRecordsKeepTheirAddressesInsideACachedRegion) {
    Image early(RAM + 0x80, RAM + 0x8F);
    Image odd(RAM + 0xA1, RAM + 0xA4);
    pattern(early, 4);
    for (uint32_t a = odd.low(); a <= odd.high(); ++a) odd.put8(a, static_cast<uint8_t>(0x50 + (a - odd.low())));
    start(CODE, [&](Lists& l) {
        l.data(early);
        l.data(odd);
        l.data(x1);
    });
    const uint32_t end = program()
                             .load_l(RAM + 0x10, 0)
                             .load_l(RAM + 0x84, 1)
                             .load_l(RAM + 0x7E, 2)  // both words from RAM: it holds 0x7E and 0x80
                             .load_w(RAM + 0x90, 3)
                             .load_b(RAM + 0x8F, 4)
                             .load_w(RAM + 0xA0, 5)
                             .load_b(RAM + 0xA1, 6)
                             .load_w(RAM + 0xA3, 7)  // the odd region's bytes at 0xA2 and 0xA3
                             .store_l(0, RAM + 0x8E)  // upper word to early, lower word to RAM
                             .store_w(1, RAM + 0xA0)
                             .end();
    const uint32_t expected[8] = {x1.get32(RAM + 0x10), early.get32(RAM + 0x84), x1.get32(RAM + 0x7E),
                                  x1.get16(RAM + 0x90), early.get8(RAM + 0x8F), x1.get16(RAM + 0xA0), 0x50, 0x5152};
    const uint32_t mask[8] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF, 0xFF, 0xFFFF, 0xFF, 0xFFFF};
    run_slice(end);
    for (int d = 0; d < 8; ++d) EXPECT_EQ(D(d) & mask[d], expected[d]) << "D" << d;
    EXPECT_EQ(early.get16(RAM + 0x8E), D(0) >> 16);
    EXPECT_EQ(x1.get16(RAM + 0x90), D(0) & 0xFFFF);
    EXPECT_EQ(x1.get16(RAM + 0xA0), D(1) & 0xFFFF);
    EXPECT_EQ(odd.get8(RAM + 0xA1), 0x50);
}

// Random layouts against the same program run one instruction per slice (a
// slice starts with nothing cached): regions direct or served by handlers,
// overlapping, some with odd bounds, in another order in each list; handlers
// that swap direct records, shrink regions or install another list now and
// then.
class RandomLayout : public CoreTest {
protected:
    static constexpr uint32_t WINDOW = 0x100000;  // regions lie in WINDOW..WINDOW + 0x3FF

    struct Machine {
        std::vector<std::unique_ptr<Image>> images;
        Lists lists;
        std::vector<data_region> other_readword;
    };

    // The layout of `seed`, built afresh (handlers change it while it runs).
    std::unique_ptr<Machine> build(uint32_t seed) {
        std::mt19937 rng(seed);
        auto m = std::make_unique<Machine>();
        std::vector<data_region> regions;
        const int count = 3 + static_cast<int>(rng() % 5);
        for (int i = 0; i < count; ++i) {
            const uint32_t low = WINDOW + rng() % 0x380;
            const uint32_t high = low + rng() % 0x80;
            if (rng() % 4 == 0) {
                regions.push_back(s68000_reader(low, high, port_read));  // a writer in write lists
            } else {
                m->images.push_back(std::make_unique<Image>(low, high));
                Image& image = *m->images.back();
                for (size_t i = 0; i < image.size(); ++i) image.host()[i] = static_cast<uint8_t>(rng());
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

    // A program of memory moves and read-modify-writes at addresses near the
    // regions' bounds, ending with BRA.S *; returns the branch's address.
    uint32_t write_program(uint32_t seed, const Machine& m) {
        std::mt19937 rng(seed ^ 0x5EED);
        std::vector<uint32_t> bounds;
        for (const data_region& r : m.lists.readword)
            if (r.low_address >= WINDOW && r.low_address != 0xFFFFFFFFu) bounds.insert(bounds.end(), {r.low_address, r.high_address});
        auto address = [&] {
            const uint32_t near = bounds.empty() ? WINDOW : bounds[rng() % bounds.size()];
            return near + rng() % 7 - 3;
        };
        Asm a = code();
        for (int i = 0; i < 60; ++i) {
            static constexpr uint16_t SIZE[3] = {0x1000, 0x3000, 0x2000};  // MOVE.B, .W, .L
            static constexpr uint16_t QUICK[3] = {0x0000, 0x0040, 0x0080};
            const unsigned size = rng() % 3;
            const unsigned d = rng() % 8;
            switch (rng() % 4) {
                case 0: a.w(static_cast<uint16_t>(SIZE[size] | d << 9 | 0x039)).l(address()); break;
                case 1: a.w(static_cast<uint16_t>(SIZE[size] | 0x3C0 | d)).l(address()); break;
                case 2: a.w(static_cast<uint16_t>(SIZE[size] | 0x3F9)).l(address()).l(address()); break;
                default: a.w(static_cast<uint16_t>(0x5239 | QUICK[size])).l(address()); break;
            }
        }
        const uint32_t end = a.here();
        a.w(0x60FE);
        return end;
    }

    // Handlers answer from the address and change the lists at some calls.
    void act_on_handler_calls(uint32_t seed, Machine& m) {
        auto rng = std::make_shared<std::mt19937>(seed ^ 0xACED);
        port_reply = [](uint32_t address) { return address * 0x9E3779B1u; };
        port_action = [rng, &m] {
            s68000context& c = _s68000context;
            data_region* lists[4] = {c.readbyte, c.readword, c.writebyte, c.writeword};
            data_region* list = lists[(*rng)() % 4];
            size_t n = 0;
            while (list[n].low_address != 0xFFFFFFFFu) ++n;
            switch ((*rng)() % 4) {
                case 0: break;
                case 1:
                    // Two direct records trade places (a handler's record
                    // stays: a long access calls it again for its second word).
                    if (n >= 2) {
                        const size_t i = (*rng)() % (n - 1);
                        if (!list[i].handler && !list[i + 1].handler) std::swap(list[i], list[i + 1]);
                    }
                    break;
                case 2: {
                    data_region& r = list[(*rng)() % n];
                    r.high_address = r.low_address + (r.high_address - r.low_address) / 2;
                    break;
                }
                default: c.readword = m.other_readword.data(); break;
            }
        };
    }

    struct Outcome {
        uint32_t dreg[8];
        uint16_t sr;
        std::vector<std::vector<uint8_t>> images;
        std::vector<PortCall> calls;
        bool operator==(const Outcome&) const = default;
    };

    Outcome run(uint32_t seed, bool one_slice) {
        std::unique_ptr<Machine> m = build(seed);
        Lists& l = m->lists;
        install(l, l);
        mem.put32(0, RESET_SSP);
        mem.put32(4, CODE);
        EXPECT_EQ(s68000reset(), 0);
        const uint32_t end = write_program(seed, *m);
        std::mt19937 rng(seed ^ 0xD0);
        for (uint32_t& d : ctx().dreg) d = static_cast<uint32_t>(rng());
        port_log.clear();
        act_on_handler_calls(seed, *m);
        if (one_slice) {
            s68000exec(60 * 60);
        } else {
            for (int step = 0; step < 100 && ctx().pc != end; ++step) s68000exec(1);
        }
        EXPECT_EQ(ctx().pc, end) << "seed " << seed << (one_slice ? ", one slice" : ", single steps");
        Outcome out;
        std::copy(std::begin(ctx().dreg), std::end(ctx().dreg), out.dreg);
        out.sr = ctx().sr;
        for (const auto& image : m->images) out.images.push_back(image->snapshot());
        out.calls = port_log;
        port_action = nullptr;
        return out;
    }
};

TEST_F(RandomLayout, OneSliceMatchesOneInstructionPerSlice) {
    int handler_calls = 0;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        const Outcome stepped = run(seed, false);
        const Outcome sliced = run(seed, true);
        ASSERT_EQ(sliced, stepped) << "seed " << seed;
        handler_calls += static_cast<int>(stepped.calls.size());
    }
    std::printf("400 random layouts, %d handler calls\n", handler_calls);
}

}  // namespace
