// Operand accesses through the data region lists, by instructions and by a
// debugger between slices: direct images in the memory image format,
// handler regions, unmapped addresses, long accesses that fall apart, the
// 24-bit address bus, list order, odd addresses and regions with odd bounds
// (never an access outside an image).
#include <string>

#include "core_fixture.h"

namespace {

using namespace coretest;

constexpr uint32_t RAM = 0x100000;   // direct; nothing after it
constexpr uint32_t RAM2 = 0x110000;  // direct; a handler region after it
constexpr uint32_t RAM3 = 0x120000;  // direct; another image after it
constexpr uint32_t RAM4 = 0x130000;  // direct, behind an overlay ahead of it in the list
constexpr uint32_t RAM5 = 0x140000;  // direct, behind a handler ahead of it in the list
constexpr uint32_t RAM6 = 0x150000;  // direct with an even last address, another record over it ahead
constexpr uint32_t HREG = 0x200000;  // handler region; an image after it
constexpr uint32_t HOLE = 0x300000;  // nothing

class Memory : public CoreTest {
protected:
    // Each image's words tell the image and the address apart.
    static void pattern(Image& m, uint16_t id) {
        for (uint32_t a = m.low(); a + 1 <= m.high(); a += 2)
            m.put16(a, static_cast<uint16_t>(id << 12 | ((a - m.low()) & 0xFFF)));
    }
    // What the handler regions answer (for the core to cut to 8 or 16 bits), and its word.
    static uint32_t reply(uint32_t a) { return 0xA5A50000u | ((a & 0xFFFF) ^ 0x5A5A); }
    static uint32_t w16(uint32_t a) { return reply(a) & 0xFFFF; }
};

TEST_F(Memory, EveryAccessReachesWhatTheListsSay) {
    Image ram(RAM, RAM + 0xFF), ram2(RAM2, RAM2 + 0xFF), ram3(RAM3, RAM3 + 0xFF), after3(RAM3 + 0x100, RAM3 + 0x1FF);
    Image ram4(RAM4, RAM4 + 0xFF), overlay(RAM4 + 0x80, RAM4 + 0x17F), ram5(RAM5, RAM5 + 0xFF);
    Image after_h(HREG + 0x100, HREG + 0x1FF), ram6(RAM6, RAM6 + 0x12), over6(RAM6 + 0x12, RAM6 + 0x13);
    Image* images[] = {&ram, &ram2, &ram3, &after3, &ram4, &overlay, &ram5, &after_h, &ram6, &over6, &mem};
    for (uint16_t id = 0; id < 10; ++id) pattern(*images[id], static_cast<uint16_t>(id + 1));
    start(CODE, [&](Lists& l) {
        l.data(overlay);
        l.data(over6);
        l.ports(RAM5 + 0x80, RAM5 + 0x8F);
        for (Image* m : {&ram, &ram2, &ram3, &after3, &ram4, &ram5, &after_h, &ram6}) l.data(*m);
        l.ports(RAM2 + 0x100, RAM2 + 0x1FF);
        l.ports(HREG, HREG + 0xFF);
    });
    port_reply = reply;

    struct Write {
        Image* image;
        uint32_t address, value;
        int size;
    };
    struct Case {
        const char* what;
        uint16_t op;  // with an absolute long address
        uint32_t address, d0, d0_after;
        Log log = {};
        std::vector<Write> writes = {};
    };
    const uint32_t V = 0x89ABCDEF;  // D0 before writes
    const Case cases[] = {
        {"unmapped byte read", MOVE_B_ABS_D0, HOLE, 0x12345600, 0x123456FF},
        {"unmapped word read", MOVE_W_ABS_D0, HOLE, 0x12340000, 0x1234FFFF},
        {"unmapped long read", MOVE_L_ABS_D0, HOLE, 0, 0xFFFFFFFF},
        {"unmapped byte write", MOVE_B_D0_ABS, HOLE, V, V},
        {"unmapped word write", MOVE_W_D0_ABS, HOLE, V, V},
        {"unmapped long write", MOVE_L_D0_ABS, HOLE, V, V},
        {"byte at an odd address", MOVE_B_D0_ABS, RAM + 0x11, V, V, {}, {{&ram, RAM + 0x11, 0xEF, 1}}},
        {"byte read", MOVE_B_ABS_D0, RAM + 0x13, 0, ram.get8(RAM + 0x13)},
        {"word write", MOVE_W_D0_ABS, RAM + 0x20, V, V, {}, {{&ram, RAM + 0x20, 0xCDEF, 2}}},
        {"a handler's long read: two word reads in order", MOVE_L_ABS_D0, HREG + 0x10, 0,
         w16(HREG + 0x10) << 16 | w16(HREG + 0x12), {R(HREG + 0x10), R(HREG + 0x12)}},
        {"a handler's long write: two word writes in order", MOVE_L_D0_ABS, HREG + 0x20, V, V, {Wr(HREG + 0x20,
         0x89AB), Wr(HREG + 0x22, 0xCDEF)}},
        {"a handler's byte is cut", MOVE_B_ABS_D0, HREG + 0x34, 0xAAAAAAAA, 0xAAAAAA00 | (w16(HREG + 0x34) & 0xFF),
         {R(HREG + 0x34)}},
        {"a handler's word is cut", MOVE_W_ABS_D0, HREG + 0x34, 0xAAAAAAAA, 0xAAAA0000 | w16(HREG + 0x34),
         {R(HREG + 0x34)}},
        {"byte write data zero-extended", MOVE_B_D0_ABS, HREG + 1, 0xFFFFFF80, 0xFFFFFF80, {Wr(HREG + 1, 0x80)}},
        {"word write data zero-extended", MOVE_W_D0_ABS, HREG + 2, 0xFFFF8000, 0xFFFF8000, {Wr(HREG + 2, 0x8000)}},
        {"a long write into nothing still writes its lower word", MOVE_L_D0_ABS, HREG - 2, V, V, {Wr(HREG, 0xCDEF)}},
        {"a long read from nothing reads no lower word", MOVE_L_ABS_D0, HREG - 2, 0, 0xFFFFFFFF},
        {"a long at a region's last word, nothing after", MOVE_L_ABS_D0, RAM + 0xFE, 0,
         uint32_t{ram.get16(RAM + 0xFE)} << 16 | 0xFFFF},
        {"and written", MOVE_L_D0_ABS, RAM + 0xFE, V, V, {}, {{&ram, RAM + 0xFE, 0x89AB, 2}}},
        {"a long at a region's last word, a handler after", MOVE_L_ABS_D0, RAM2 + 0xFE, 0,
         uint32_t{ram2.get16(RAM2 + 0xFE)} << 16 | w16(RAM2 + 0x100), {R(RAM2 + 0x100)}},
        {"and written", MOVE_L_D0_ABS, RAM2 + 0xFE, V, V, {Wr(RAM2 + 0x100, 0xCDEF)}, {{&ram2, RAM2 + 0xFE, 0x89AB,
         2}}},
        {"a long across two images", MOVE_L_ABS_D0, RAM3 + 0xFE, 0,
         uint32_t{ram3.get16(RAM3 + 0xFE)} << 16 | after3.get16(RAM3 + 0x100)},
        {"and written", MOVE_L_D0_ABS, RAM3 + 0xFE, V, V, {}, {{&ram3, RAM3 + 0xFE, 0x89AB, 2}, {&after3,
         RAM3 + 0x100, 0xCDEF, 2}}},
        {"a long's second word from its first word's record", MOVE_L_ABS_D0, RAM6 + 0x10, 0,
         uint32_t{ram6.get16(RAM6 + 0x10)} << 16 | 0xFFFF},  // the region's byte at 0x12 lies outside its image
        {"a long at a handler region's last word, an image after", MOVE_L_ABS_D0, HREG + 0xFE, 0,
         w16(HREG + 0xFE) << 16 | after_h.get16(HREG + 0x100), {R(HREG + 0xFE)}},
        {"and written", MOVE_L_D0_ABS, HREG + 0xFE, V, V, {Wr(HREG + 0xFE, 0x89AB)}, {{&after_h, HREG + 0x100,
         0xCDEF, 2}}},
        {"the top eight address bits are ignored", MOVE_W_ABS_D0, 0xFF000000 | (RAM + 0x40), 0, ram.get16(RAM + 0x40)},
        {"also by handlers", MOVE_W_D0_ABS, 0xAB000000 | HREG, V, V, {Wr(HREG, 0xCDEF)}},
        {"a read-modify-write writes back where it read", ADDQ_W_1_ABS, 0xFF000000 | (RAM + 0x44), 0, 0, {},
         {{&ram, RAM + 0x44, ram.get16(RAM + 0x44) + 1u, 2}}},
        {"also to a handler", ADDQ_W_1_ABS, 0xFF000000 | (HREG + 4), 0, 0, {R(HREG + 4), Wr(HREG + 4,
         w16(HREG + 4) + 1)}},
        {"the first record in list order serves an overlap", MOVE_W_D0_ABS, RAM4 + 0x90, V, V, {}, {{&overlay,
         RAM4 + 0x90, 0xCDEF, 2}}},
        {"below the overlay", MOVE_W_D0_ABS, RAM4 + 0x70, V, V, {}, {{&ram4, RAM4 + 0x70, 0xCDEF, 2}}},
        {"read from the overlay", MOVE_W_ABS_D0, RAM4 + 0xA0, 0, overlay.get16(RAM4 + 0xA0)},
        {"a handler ahead of an image", MOVE_W_D0_ABS, RAM5 + 0x80, V, V, {Wr(RAM5 + 0x80, 0xCDEF)}},
        {"a word at an odd address is the word below", MOVE_W_ABS_D0, RAM + 0x21, 0, ram.get16(RAM + 0x20)},
        {"so is a long", MOVE_L_ABS_D0, RAM + 0x21, 0, ram.get32(RAM + 0x20)},
        {"also at a region's last byte", MOVE_W_ABS_D0, RAM + 0xFF, 0, ram.get16(RAM + 0xFE)},
        {"a long there", MOVE_L_ABS_D0, RAM + 0xFD, 0, ram.get32(RAM + 0xFC)},
        {"a long at the last byte", MOVE_L_ABS_D0, RAM + 0xFF, 0, uint32_t{ram.get16(RAM + 0xFE)} << 16 | 0xFFFF},
        {"a word written at an odd address", MOVE_W_D0_ABS, RAM + 0x41, V, V, {}, {{&ram, RAM + 0x40, 0xCDEF, 2}}},
        {"a long written at an odd address", MOVE_L_D0_ABS, RAM + 0x51, V, V, {}, {{&ram, RAM + 0x50, V, 4}}},
        {"a long written at the last byte", MOVE_L_D0_ABS, RAM + 0xFF, V, V, {}, {{&ram, RAM + 0xFE, 0x89AB, 2}}},
    };
    // Each case runs as an instruction, then (bytes and words) as a debugger's access.
    for (const Case& c : cases)
        for (bool debugger : {false, true}) {
            const uint16_t op = c.op;
            const bool sized = op == MOVE_B_ABS_D0 || op == MOVE_W_ABS_D0 || op == MOVE_B_D0_ABS || op == MOVE_W_D0_ABS;
            if (debugger && !sized) continue;
            SCOPED_TRACE(std::string(c.what) + (debugger ? ", from a debugger" : ""));
            load({op});
            code(CODE + 2).l(c.address);
            ctx().dreg[0] = c.d0;
            port_log.clear();
            std::vector<uint8_t> old;
            for (const Write& w : c.writes)
                for (int i = 0; i < w.size; ++i) old.push_back(w.image->get8(w.address + i));
            std::vector<std::vector<uint8_t>> before;
            for (Image* m : images) before.push_back(m->snapshot());
            if (!debugger) s68000exec(1);
            else if (op == MOVE_B_ABS_D0) ctx().dreg[0] = (c.d0 & ~0xFFu) | s68000readByte(c.address);
            else if (op == MOVE_W_ABS_D0) ctx().dreg[0] = (c.d0 & ~0xFFFFu) | s68000readWord(c.address);
            else if (op == MOVE_B_D0_ABS) s68000writeByte(c.address, c.d0);
            else s68000writeWord(c.address, c.d0);
            EXPECT_EQ(D(0), c.d0_after);
            EXPECT_EQ(port_log, c.log);
            size_t k = 0;  // the expected bytes, then back as they were: nothing else may change
            for (const Write& w : c.writes)
                for (int i = 0; i < w.size; ++i, ++k) {
                    EXPECT_EQ(w.image->get8(w.address + i), static_cast<uint8_t>(w.value >> 8 * (w.size - 1 - i)));
                    w.image->put8(w.address + i, old[k]);
                }
            for (size_t i = 0; i < std::size(images); ++i) EXPECT_EQ(images[i]->snapshot(), before[i]) << "image " << i;
        }
}

}  // namespace
