// Operand accesses through the data region lists: direct images in the
// memory image format, handler regions, unmapped addresses, long accesses
// that fall apart, the 24-bit address bus, list order, odd addresses and
// regions with odd bounds (never an access outside an image).
#include <initializer_list>

#include "core_fixture.h"

namespace {

using namespace coretest;

constexpr uint32_t RAM = 0x100000;   // direct, 0x100000-0x1000FF
constexpr uint32_t HREG = 0x200000;  // handler region, 0x200000-0x2000FF
constexpr uint32_t HOLE = 0x300000;  // nothing

class Memory : public CoreTest {
protected:
    Image ram{RAM, RAM + 0xFF};

    // The standard machine with `first` ahead of RAM and the handler region.
    void build(const std::function<void(Lists&)>& first = {}) {
        start(CODE, [&](Lists& l) {
            if (first) first(l);
            l.data(ram);
            l.readers(HREG, HREG + 0xFF, port_read);
            l.writers(HREG, HREG + 0xFF, port_write);
        });
    }
    // Runs one instruction `op` with an absolute long address.
    void run(uint16_t op, uint32_t address) {
        code().w(op).l(address);
        ctx().pc = CODE;
        s68000exec(1);
    }
    void run(std::initializer_list<uint16_t> words) {
        Asm a = code();
        for (uint16_t w : words) a.w(w);
        ctx().pc = CODE;
        s68000exec(1);
    }
    void set_d0(uint32_t v) { ctx().dreg[0] = v; }
};

TEST_F(Memory, UnmappedReadsGiveAllOnesAndWritesAreDropped) {
    build();
    set_d0(0x12345600);
    run(MOVE_B_ABS_D0, HOLE);
    EXPECT_EQ(D(0), 0x123456FFu);
    set_d0(0x12340000);
    run(MOVE_W_ABS_D0, HOLE);
    EXPECT_EQ(D(0), 0x1234FFFFu);
    set_d0(0);
    run(MOVE_L_ABS_D0, HOLE);
    EXPECT_EQ(D(0), 0xFFFFFFFFu);

    code().w(MOVE_B_D0_ABS).l(HOLE).w(MOVE_W_D0_ABS).l(HOLE).w(MOVE_L_D0_ABS).l(HOLE);
    ctx().pc = CODE;
    set_d0(0x5555AAAA);
    const auto before = mem.snapshot();
    const auto ram_before = ram.snapshot();
    EXPECT_EQ(cycles_of(3 * 16 + 4), 3u * 16 + 4);  // MOVE.B, MOVE.W 16 cycles each, MOVE.L 20
    EXPECT_EQ(mem.snapshot(), before);
    EXPECT_EQ(ram.snapshot(), ram_before);
    EXPECT_TRUE(port_log.empty());
}

TEST_F(Memory, ByteLanesOfTheImageFormat) {
    build();
    code().w(0x13FC).w(0x0012).l(RAM);  // MOVE.B #$12,$100000
    ctx().pc = CODE;
    s68000exec(1);
    code().w(0x13FC).w(0x0034).l(RAM + 1);  // MOVE.B #$34,$100001
    ctx().pc = CODE;
    s68000exec(1);
    EXPECT_EQ(ram.host()[1], 0x12);
    EXPECT_EQ(ram.host()[0], 0x34);
    EXPECT_EQ(ram.host16(0), 0x1234);

    set_d0(0x11223344);
    run(MOVE_L_D0_ABS, RAM + 4);
    EXPECT_EQ(ram.host16(4), 0x1122);
    EXPECT_EQ(ram.host16(6), 0x3344);
    set_d0(0);
    run(MOVE_L_ABS_D0, RAM + 4);
    EXPECT_EQ(D(0), 0x11223344u);
    run(MOVE_W_D0_ABS, RAM + 8);
    EXPECT_EQ(ram.host16(8), 0x3344);

    const uint16_t host = 0x5678;
    std::memcpy(ram.host() + 16, &host, 2);
    run(MOVE_B_ABS_D0, RAM + 16);
    EXPECT_EQ(D(0) & 0xFF, 0x56u);
    run(MOVE_B_ABS_D0, RAM + 17);
    EXPECT_EQ(D(0) & 0xFF, 0x78u);
    run(MOVE_W_ABS_D0, RAM + 16);
    EXPECT_EQ(D(0) & 0xFFFF, 0x5678u);
}

TEST_F(Memory, LongAccessToAHandlerRegionIsTwoWordCallsInOrder) {
    build();
    port_reply = [](uint32_t a) { return 0x5A5A0000u | (a & 0xFFFF); };
    run(MOVE_L_ABS_D0, HREG + 0x10);
    EXPECT_EQ(D(0), 0x00100012u);
    EXPECT_EQ(port_log, (Log{R(HREG + 0x10), R(HREG + 0x12)}));
    port_log.clear();
    set_d0(0x12345678);
    run(MOVE_L_D0_ABS, HREG + 0x20);
    EXPECT_EQ(port_log, (Log{Wr(HREG + 0x20, 0x1234), Wr(HREG + 0x22, 0x5678)}));
}

TEST_F(Memory, HandlerResultsAreCutAndWriteDataZeroExtended) {
    build();
    set_d0(0xAAAAAAAA);
    port_value = 0x1234;
    run(MOVE_B_ABS_D0, HREG);
    EXPECT_EQ(D(0), 0xAAAAAA34u);
    port_value = 0xABCD1234;
    run(MOVE_W_ABS_D0, HREG);
    EXPECT_EQ(D(0), 0xAAAA1234u);
    port_log.clear();
    set_d0(0xFFFFFF80);
    run(MOVE_B_D0_ABS, HREG + 1);
    set_d0(0xFFFF8000);
    run(MOVE_W_D0_ABS, HREG + 2);
    EXPECT_EQ(port_log, (Log{Wr(HREG + 1, 0x80), Wr(HREG + 2, 0x8000)}));
}

TEST_F(Memory, UnmappedLongWriteStillWritesItsLowerWord) {
    build();
    set_d0(0x12345678);
    run(MOVE_L_D0_ABS, HREG - 2);
    EXPECT_EQ(port_log, (Log{Wr(HREG, 0x5678)}));
}

TEST_F(Memory, UnmappedLongReadDoesNotLookAtTheLowerWord) {
    build();
    run(MOVE_L_ABS_D0, HREG - 2);
    EXPECT_EQ(D(0), 0xFFFFFFFFu);
    EXPECT_TRUE(port_log.empty());
}

TEST_F(Memory, LongAtTheLastWordOfADirectRegion) {
    // After RAM: nothing, then a handler region, then another image.
    build();
    ram.put16(RAM + 0xFE, 0xCAFE);
    run(MOVE_L_ABS_D0, RAM + 0xFE);
    EXPECT_EQ(D(0), 0xCAFEFFFFu);
    set_d0(0x11112222);
    run(MOVE_L_D0_ABS, RAM + 0xFE);
    EXPECT_EQ(ram.get16(RAM + 0xFE), 0x1111);
}

TEST_F(Memory, LongAtTheLastWordOfADirectRegionBeforeAHandler) {
    build([](Lists& l) {
        l.readers(RAM + 0x100, RAM + 0x1FF, port_read);
        l.writers(RAM + 0x100, RAM + 0x1FF, port_write);
    });
    ram.put16(RAM + 0xFE, 0xCAFE);
    port_value = 0xBEEF;
    run(MOVE_L_ABS_D0, RAM + 0xFE);
    EXPECT_EQ(D(0), 0xCAFEBEEFu);
    EXPECT_EQ(port_log, (Log{R(RAM + 0x100)}));
    port_log.clear();
    set_d0(0x11112222);
    run(MOVE_L_D0_ABS, RAM + 0xFE);
    EXPECT_EQ(ram.get16(RAM + 0xFE), 0x1111);
    EXPECT_EQ(port_log, (Log{Wr(RAM + 0x100, 0x2222)}));
}

TEST_F(Memory, LongAcrossTwoImages) {
    Image next(RAM + 0x100, RAM + 0x1FF);
    build([&](Lists& l) { l.data(next); });
    ram.put16(RAM + 0xFE, 0x0102);
    next.put16(RAM + 0x100, 0x0304);
    run(MOVE_L_ABS_D0, RAM + 0xFE);
    EXPECT_EQ(D(0), 0x01020304u);
    set_d0(0xA1A2A3A4);
    run(MOVE_L_D0_ABS, RAM + 0xFE);
    EXPECT_EQ(ram.get16(RAM + 0xFE), 0xA1A2);
    EXPECT_EQ(next.get16(RAM + 0x100), 0xA3A4);
}

TEST_F(Memory, LongAtTheLastWordOfAHandlerRegion) {
    Image after(HREG + 0x100, HREG + 0x1FF);
    build([&](Lists& l) { l.data(after); });
    after.put16(HREG + 0x100, 0x4444);
    port_value = 0x3333;
    run(MOVE_L_ABS_D0, HREG + 0xFE);
    EXPECT_EQ(D(0), 0x33334444u);
    EXPECT_EQ(port_log, (Log{R(HREG + 0xFE)}));
    port_log.clear();
    set_d0(0x55556666);
    run(MOVE_L_D0_ABS, HREG + 0xFE);
    EXPECT_EQ(port_log, (Log{Wr(HREG + 0xFE, 0x5555)}));
    EXPECT_EQ(after.get16(HREG + 0x100), 0x6666);
}

TEST_F(Memory, TopEightAddressBitsAreIgnored) {
    build();
    ram.put16(RAM + 0x10, 0x0100);
    run(MOVE_W_ABS_D0, 0xFF000000 | (RAM + 0x10));
    EXPECT_EQ(D(0) & 0xFFFF, 0x0100u);
    set_d0(0x7777);
    run(MOVE_W_D0_ABS, 0xAB000000 | HREG);
    EXPECT_EQ(port_log, (Log{Wr(HREG, 0x7777)}));

    // Read-modify-writes write back where they read.
    port_log.clear();
    run(ADDQ_W_1_ABS, 0xFF000000 | (RAM + 0x10));
    EXPECT_EQ(ram.get16(RAM + 0x10), 0x0101);
    port_value = 0x0041;
    run(ADDQ_W_1_ABS, 0xFF000000 | (HREG + 4));
    ctx().areg[0] = 0xFF000000 | (HREG + 6);
    run({0x4AD0});  // TAS (A0)
    ctx().areg[0] = 0xFF000000 | (RAM + 0x12);
    ram.put8(RAM + 0x12, 0x01);
    run({0x4AD0});
    EXPECT_EQ(ram.get8(RAM + 0x12), 0x81);
    EXPECT_EQ(port_log, (Log{R(HREG + 4), Wr(HREG + 4, 0x0042), R(HREG + 6), Wr(HREG + 6, 0xC1)}));
}

TEST_F(Memory, FirstRegionInListOrderServesAnOverlap) {
    Image overlay(RAM + 0x80, RAM + 0x17F);
    build([&](Lists& l) { l.data(overlay); });  // ahead of RAM
    set_d0(0x1234);
    run(MOVE_W_D0_ABS, RAM + 0x90);
    EXPECT_EQ(overlay.get16(RAM + 0x90), 0x1234);
    EXPECT_EQ(ram.get16(RAM + 0x90), 0);
    run(MOVE_W_D0_ABS, RAM + 0x70);
    EXPECT_EQ(ram.get16(RAM + 0x70), 0x1234);
    ram.put16(RAM + 0xA0, 0x1111);
    overlay.put16(RAM + 0xA0, 0x2222);
    run(MOVE_W_ABS_D0, RAM + 0xA0);
    EXPECT_EQ(D(0) & 0xFFFF, 0x2222u);
}

TEST_F(Memory, HandlerAheadOfAnImageServesTheOverlap) {
    build([](Lists& l) {
        l.readers(RAM + 0x80, RAM + 0x8F, port_read);
        l.writers(RAM + 0x80, RAM + 0x8F, port_write);
    });
    set_d0(0x4321);
    run(MOVE_W_D0_ABS, RAM + 0x80);
    EXPECT_EQ(ram.get16(RAM + 0x80), 0);
    EXPECT_EQ(port_log, (Log{Wr(RAM + 0x80, 0x4321)}));
}

// Word and long accesses at odd addresses act on the word at the address
// with bit 0 cleared (and the word after it), also at a region's last byte.
TEST_F(Memory, OddAddressesUseTheWordBelow) {
    build();
    for (uint32_t a = RAM; a <= RAM + 0xFF; a += 2) ram.put16(a, static_cast<uint16_t>(0x0100 * (a & 0xFF) + 0x11));
    run(MOVE_W_ABS_D0, RAM + 0x21);
    EXPECT_EQ(D(0) & 0xFFFF, ram.get16(RAM + 0x20));
    run(MOVE_L_ABS_D0, RAM + 0x21);
    EXPECT_EQ(D(0), ram.get32(RAM + 0x20));
    run(MOVE_W_ABS_D0, RAM + 0xFF);
    EXPECT_EQ(D(0) & 0xFFFF, ram.get16(RAM + 0xFE));
    run(MOVE_L_ABS_D0, RAM + 0xFD);
    EXPECT_EQ(D(0), ram.get32(RAM + 0xFC));
    run(MOVE_L_ABS_D0, RAM + 0xFF);
    EXPECT_EQ(D(0), uint32_t{ram.get16(RAM + 0xFE)} << 16 | 0xFFFF);

    set_d0(0xA1A2A3A4);
    run(MOVE_W_D0_ABS, RAM + 0x41);
    EXPECT_EQ(ram.get16(RAM + 0x40), 0xA3A4);
    run(MOVE_L_D0_ABS, RAM + 0x51);
    EXPECT_EQ(ram.get32(RAM + 0x50), 0xA1A2A3A4u);
    run(MOVE_L_D0_ABS, RAM + 0xFF);
    EXPECT_EQ(ram.get16(RAM + 0xFE), 0xA1A2);
    run(MOVE_W_D0_ABS, RAM + 0xFF);
    EXPECT_EQ(ram.get16(RAM + 0xFE), 0xA3A4);
}

// Direct regions whose bounds are not even..odd: every byte access lands
// inside the image, at a position no other address of the region shares;
// addresses whose position would fall outside read 0xFF and write nothing.
class OddBounds : public Memory, public ::testing::WithParamInterface<std::pair<uint32_t, uint32_t>> {};

TEST_P(OddBounds, RegionStaysInsideItsImage) {
    const auto [low, high] = GetParam();
    Image odd(low, high, 0xEE);  // allocated to its exact size
    std::vector<uint8_t> fresh = odd.snapshot();
    build([&](Lists& l) { l.data(odd); });
    std::vector<int> owner(odd.size(), -1);
    for (uint32_t a = low - 2; a <= high + 2; ++a) {
        SCOPED_TRACE(a);
        const uint32_t value = 0x40 + (a - low + 2);
        set_d0(value);
        run(MOVE_B_D0_ABS, a);
        const std::vector<uint8_t> now = odd.snapshot();
        int changed = -1;
        for (size_t i = 0; i < now.size(); ++i)
            if (now[i] != fresh[i]) {
                EXPECT_EQ(changed, -1) << "one byte write changed two image bytes";
                changed = static_cast<int>(i);
            }
        run(MOVE_B_ABS_D0, a);
        const bool inside = a >= low && a <= high;
        if (changed >= 0) {
            EXPECT_TRUE(inside);
            EXPECT_EQ(owner[changed], -1) << "two addresses share an image byte";
            owner[changed] = static_cast<int>(a);
            EXPECT_EQ(D(0) & 0xFF, value);
        } else if (inside) {
            EXPECT_EQ(D(0) & 0xFF, 0xFFu);
        }
        // Word and long accesses around every address (the sanitizers
        // report any that leaves the image).
        for (uint16_t op : {MOVE_W_ABS_D0, MOVE_L_ABS_D0, MOVE_W_D0_ABS, MOVE_L_D0_ABS}) run(op, a);
        fresh = odd.snapshot();
    }
    size_t used = 0;
    for (int o : owner) used += o >= 0;
    EXPECT_GE(used + 1, odd.size());  // at most one image byte unreachable
}

INSTANTIATE_TEST_SUITE_P(Memory, OddBounds,
                         ::testing::Values(std::pair<uint32_t, uint32_t>{RAM + 0x301, RAM + 0x310},
                                           std::pair<uint32_t, uint32_t>{RAM + 0x400, RAM + 0x410},
                                           std::pair<uint32_t, uint32_t>{RAM + 0x501, RAM + 0x511},
                                           std::pair<uint32_t, uint32_t>{RAM + 0x600, RAM + 0x600},
                                           std::pair<uint32_t, uint32_t>{RAM + 0x701, RAM + 0x701}));

}  // namespace
