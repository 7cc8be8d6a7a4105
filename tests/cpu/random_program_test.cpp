// Random programs in small, oddly placed regions: random code (fetches that
// run off a region's end, relative branches out of it, odd PCs), random
// vectors, random SR (trace, user mode), random interrupt requests and
// flushes between slices, handler regions that request interrupts. Every run
// must end with exact cycle accounting, run the same in large slices as in
// single steps and, under the sanitizer build, touch nothing outside an image.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <random>

#include "core_fixture.h"

namespace {

using namespace coretest;

constexpr uint32_t PORTS = 0xF00000;  // handler region, 0xF00000-0xF000FF

struct Slice {
    int32_t budget;
    std::vector<std::pair<int, int>> requests;  // s68000interrupt arguments, some bad
    bool flush;
};

// One random address space, its lists, a starting context and a schedule of
// slices. With `steppable`, programs contain no STOP (whose idle budget
// depends on slicing), code images are not writable and both modes fetch
// through the same program list (a slice that drops to user mode goes on in
// its cached region, while a new slice looks the PC up in the user list).
class World {
public:
    World(uint32_t seed, bool steppable) : rng_(seed) {
        Image& vectors = image(0x000, 0x3FF);
        super.data(vectors);
        if (chance(0.5)) user.data(vectors);
        for (int i = 0, n = pick(2, 5), at = 0x1000 + pick(0, 15); i < n; ++i) {
            static constexpr int sizes[] = {1, 2, 3, 5, 8, 10, 11, 16, 33, 64, 200, 512};
            Image& m = image(at, at + sizes[pick(0, std::size(sizes) - 1)] - 1);
            for (size_t b = 0; b < m.size(); b += 2) {
                const uint16_t w = word();
                m.host()[b] = static_cast<uint8_t>(w);
                if (b + 1 < m.size()) m.host()[b + 1] = static_cast<uint8_t>(w >> 8);
            }
            for (size_t b = 0; steppable && b < m.size(); ++b)
                if (m.host()[b] == 0x72) m.host()[b] = 0x73;  // no STOP at any byte offset
            super.program(m);
            if (steppable || chance(0.7)) user.program(m);
            if (!steppable && chance(0.5)) super.data(m);  // self-modifying code
            code_.push_back({m.low(), m.high()});
            at = m.high() + 1 + (chance(0.4) ? 0 : pick(1, 40));
        }
        Image& stack = image(0x8000 + pick(0, 1), 0x80FF + pick(0, 1));
        Image& ram = image(0x9000 + pick(0, 1), 0x903F + pick(0, 2));
        super.data(stack);
        user.data(stack);
        super.data(ram);
        if (chance(0.5)) user.data(ram);
        for (Lists* l : {&super, &user}) {
            l->ports(PORTS, PORTS + 0xFF);
            l->finish();
        }
        for (unsigned n = 0; n < 256; ++n) vectors.put32(4 * n, target());
        bases_ = {stack.low(), stack.high() - 3, ram.low(), ram.high(), PORTS, PORTS + 0x10, PORTS + 0x20, 0, 0x3FC,
                  code_[0].first, 0xFFFFFFF0};
        for (uint32_t& d : start_.dreg) d = chance(0.5) ? rng_() : pick(0, 70);
        for (uint32_t& a : start_.areg) a = address();
        start_.asp = address();
        start_.sr = static_cast<uint16_t>(rng_() & (chance(0.7) ? 0x271F : 0xA71F));  // trace in some runs only
        start_.pc = target();
        start_.resethandler = chance(0.5) ? static_cast<s68000_reset_handler>([] {}) : nullptr;
        for (int i = 0; i < 64; ++i) revivals_.push_back(target() & ~1u);
        for (int i = 0, n = pick(10, 60); i < n; ++i) {
            static constexpr int32_t budgets[] = {-5, 0, 1, 4, 10, 50, 200, 1000, 3000, 20000};
            Slice s{budgets[pick(0, std::size(budgets) - 1)] + pick(0, 9), {}, chance(0.1)};
            for (int r = 0, k = chance(0.3) ? pick(1, 2) : 0; r < k; ++r)
                s.requests.push_back({pick(-1, 8), pick(-3, 256)});
            schedule.push_back(s);
        }
    }

    // Installs the lists and the starting context.
    void install_start() {
        s68000context& c = _s68000context;
        c = start_;
        install(super, user);
        Lists& l = c.sr & 0x2000 ? super : user;
        c.fetch = l.fetch.data();
        c.readbyte = l.readbyte.data();
        c.readword = l.readword.data();
        c.writebyte = l.writebyte.data();
        c.writeword = l.writeword.data();
    }

    // What a host may do between slices when the processor is stuck: move
    // the PC back into a region (and out of the faulted state).
    void revive(size_t& next) {
        _s68000context.pc = revivals_[next++ % revivals_.size()];
        _s68000context.interrupts[0] &= ~1;
    }

    bool pc_in_a_program_region() const {
        const uint32_t a = _s68000context.pc & 0xFFFFFF;
        for (const program_region* r = _s68000context.fetch; r && r->low_address != 0xFFFFFFFF; ++r)
            if (a >= r->low_address && a <= r->high_address) return true;
        return false;
    }

    std::vector<std::vector<uint8_t>> snapshot() const {
        std::vector<std::vector<uint8_t>> s;
        for (const Image& m : images_) s.push_back(m.snapshot());
        return s;
    }
    void restore(const std::vector<std::vector<uint8_t>>& s) {
        for (size_t i = 0; i < images_.size(); ++i) std::memcpy(images_[i].host(), s[i].data(), s[i].size());
    }

    Lists super, user;
    std::vector<Slice> schedule;

private:
    Image& image(uint32_t low, uint32_t high) { return images_.emplace_back(low, high); }
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    // A jump target: mostly inside a program region, near its end or at an
    // odd address; sometimes nowhere.
    uint32_t target() {
        if (chance(0.05)) return rng_();
        const auto [low, high] = code_[pick(0, static_cast<int>(code_.size()) - 1)];
        uint32_t a = chance(0.4) ? high - std::min<uint32_t>(high - low, pick(0, 3)) : low + pick(0, high - low);
        if (chance(0.7)) a &= ~1u;
        return std::max(a, low) | (chance(0.1) ? 0xAB000000 : 0);
    }
    // An instruction word: a quarter of them random, the others common
    // instructions with random registers (the second value's bits), short
    // branches and loops, SR writes (trace, user mode, masks), exceptions
    // and returns.
    uint16_t word() {
        static constexpr uint16_t forms[][2] = {
            {0x7000, 0x0EFF}, {0x7000, 0x0EFF}, {0x5080, 0x0E07}, {0x5180, 0x0E07},  // MOVEQ, ADDQ.L, SUBQ.L
            {0x3018, 0x0E07}, {0x3100, 0x0E07}, {0x2080, 0x0E07}, {0x1080, 0x0E07},  // MOVE (Aq)+,Dr; Dq,-(Ar); Dq,(Ar)
            {0xD040, 0x0E07}, {0xB080, 0x0E07}, {0xE188, 0x0E07}, {0x80C0, 0x0E07}, {0xC1C0, 0x0E07},  // ADD .. MULS
            {0x51C8, 0x0007}, {0x4E71, 0}, {0x4E71, 0}, {0x4E40, 0x000F}, {0x4E73, 0}, {0x46FC, 0},  // DBRA..MOVE SR
            {0x4E90, 0x0007}, {0x4EBA, 0}, {0x4E75, 0}, {0x41FA, 0x0E00}, {0x007C, 0},  // JSR RTS LEA ORI #,SR
            {0x48E7, 0}, {0x4CDF, 0},                                                    // MOVEM
        };
        const int k = pick(0, 39);
        if (k < static_cast<int>(std::size(forms))) return static_cast<uint16_t>(forms[k][0] | (rng_() & forms[k][1]));
        switch (k) {
            case 26: case 27: return static_cast<uint16_t>(0x6000 | pick(2, 15) << 8 | (pick(-12, 12) & 0xFF));
            case 28: return static_cast<uint16_t>(pick(-16, 8) & 0xFFFE);                            // a displacement
            case 29: return static_cast<uint16_t>((rng_() & 0xA71F) | (chance(0.5) ? 0x2000 : 0));  // an SR
            case 30: return chance(0.2) ? 0x4E70 : 0x4E72;                                            // RESET, STOP
            default: return static_cast<uint16_t>(rng_());
        }
    }
    uint32_t address() {
        return chance(0.2) ? rng_() : bases_.empty() ? 0x8080 : bases_[pick(0, bases_.size() - 1)] + pick(-4, 4);
    }

    std::mt19937 rng_;
    std::deque<Image> images_;
    std::vector<std::pair<uint32_t, uint32_t>> code_;
    std::vector<uint32_t> bases_, revivals_;
    s68000context start_{};
};

// The handler region: writes to 0x1x request an interrupt of the level in the
// data. With `wild`, writes to 0x2x release the slice, reads of 0x3x trip the
// odometer (the trips are summed in `tripped`), and every call reads the
// odometer: the cycles counted so far never go backwards.
bool wild = false;
uint64_t tripped = 0, seen_cycles = 0;

void port_effects() {
    const PortCall& call = port_log.back();
    const unsigned kind = call.address & 0xF0;
    if (call.write && kind == 0x10)
        s68000interrupt(static_cast<int>(call.data & 7), call.data & 8 ? -1 : static_cast<int>(call.data >> 4 & 0xFF));
    if (!wild) return;
    if (call.write && kind == 0x20) s68000releaseTimeslice();
    if (!call.write && kind == 0x30) tripped += s68000tripOdometer();
    const uint64_t now = tripped + s68000readOdometer();
    EXPECT_GE(now, seen_cycles);
    seen_cycles = now;
}

class RandomPrograms : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        port_action = port_effects;
        port_reply = [](uint32_t address) { return address * 2654435761u ^ static_cast<uint32_t>(port_log.size()); };
        tripped = seen_cycles = 0;
    }
    void TearDown() override {
        wild = false;
        CoreTest::TearDown();
    }
    static void before_slice(const Slice& s) {
        for (auto [level, vector] : s.requests) s68000interrupt(level, vector);
        if (s.flush) s68000flushInterrupts();
    }
};

// Everything goes: STOP, releases and trips from handlers, self-modifying
// code; a processor that cannot go on is moved back into a region between
// slices. Each slice ends; its cycles are bounded by its budget (an instruction
// and a few exceptions may run past it); between slices the odometer field
// agrees with s68000readOdometer (no cycles are left set aside), and the
// odometer reads that handlers make during a slice never go backwards nor
// past the slice's final count.
TEST_F(RandomPrograms, EverySliceEndsWithExactAccounting) {
    wild = true;
    int exits[4] = {};
    for (uint32_t seed = 1; seed <= 3000; ++seed) {
        SCOPED_TRACE(seed);
        World world(seed, false);
        world.install_start();
        tripped = seen_cycles = 0;
        size_t revivals = 0;
        for (const Slice& s : world.schedule) {
            const uint64_t before = tripped + s68000readOdometer();
            before_slice(s);
            const uint32_t code = s68000exec(s.budget);
            const uint64_t after = tripped + s68000readOdometer();
            ASSERT_EQ(s68000readOdometer(), _s68000context.odometer);
            ASSERT_LE(seen_cycles, after);
            seen_cycles = after;
            const uint64_t bound = uint64_t(std::max(s.budget, 0)) + 400 + (s.flush ? 44 : 0);
            ASSERT_LE(after - before, bound) << "budget " << s.budget;
            ++exits[code == S68000_EXIT_OK          ? 0
                    : code == S68000_EXIT_NO_REGION ? 1
                    : code == S68000_EXIT_FAULTED   ? 3
                                                    : 2];
            if (code != S68000_EXIT_OK) world.revive(revivals);
        }
    }
    // The runs reach the normal end, the out-of-region exit and the
    // invalid-instruction exit (RESET without a handler).
    EXPECT_GT(std::min({exits[0], exits[1], exits[2]}), 0);
    std::printf("slice exits: normal %d, no region %d, invalid instruction %d, faulted %d\n", exits[0], exits[1],
                exits[2], exits[3]);
}

// Large slices and single steps of the same program go through the same
// states: every slice ends in a state that single steps reach, with the same
// cycles on the odometer, so the run loop's check points, quit points and
// accounting do not depend on how the budget is cut. (A slice may end one
// instruction later than single steps would: a check point after an SR write
// runs one instruction even when its interrupt used up the budget. A slice
// that ends early, because a failed lookup cancelled it, ends the run.)
TEST_F(RandomPrograms, SlicesAndSingleStepsAgree) {
    int compared = 0;
    for (uint32_t seed = 1; seed <= 2000; ++seed) {
        SCOPED_TRACE(seed);
        World world(seed, true);
        const auto images = world.snapshot();
        auto record = [] {
            std::vector<uint8_t> r(sizeof(s68000context));
            s68000GetContext(r.data());
            return r;
        };
        auto begin = [&] {
            world.restore(images);
            world.install_start();
            port_log.clear();
        };
        // Large slices. A processor whose PC left every region at the end of
        // a whole slice is moved back into one; an early end or RESET
        // without a handler ends the run.
        begin();
        std::vector<std::vector<uint8_t>> sliced;
        size_t revivals = 0;
        for (const Slice& s : world.schedule) {
            before_slice(s);
            const uint32_t start = s68000readOdometer();
            const uint32_t code = s68000exec(s.budget);
            sliced.push_back(record());
            const bool early = s.budget > 0 && s68000readOdometer() - start < static_cast<uint32_t>(s.budget);
            if (early || code < 0x01000000) break;
            if (!world.pc_in_a_program_region()) world.revive(revivals);
        }
        const std::vector<PortCall> sliced_calls = port_log;
        const auto sliced_images = world.snapshot();

        // Single steps until each boundary state of the sliced run.
        begin();
        revivals = 0;
        for (size_t i = 0; i < sliced.size(); ++i) {
            const Slice& s = world.schedule[i];
            before_slice(s);
            const uint32_t start = s68000readOdometer();
            bool met = false;
            for (;;) {
                const uint32_t code = s68000exec(s.budget <= 0 ? s.budget : 1);
                met = record() == sliced[i];
                if (met || s.budget <= 0 || code != S68000_EXIT_OK || !world.pc_in_a_program_region() ||
                    s68000readOdometer() - start > static_cast<uint32_t>(s.budget) + 400)
                    break;
            }
            ASSERT_TRUE(met) << "single steps do not reach the state after slice " << i;
            if (!world.pc_in_a_program_region()) world.revive(revivals);
        }
        ASSERT_EQ(port_log, sliced_calls);
        ASSERT_EQ(world.snapshot(), sliced_images);
        compared += static_cast<int>(sliced.size());
    }
    EXPECT_GT(compared, 15000);
    std::printf("slice boundaries compared: %d\n", compared);
}

}  // namespace
