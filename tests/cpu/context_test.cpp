// The entry points that act on the context between slices: reset and
// s68000fetch.
#include <tuple>

#include "core_fixture.h"

namespace {

using namespace coretest;

class Context : public CoreTest {
protected:
    std::vector<uint8_t> record() {
        std::vector<uint8_t> r(static_cast<size_t>(s68000GetContextSize()));
        EXPECT_EQ(s68000GetContext(r.data()), 0);
        return r;
    }
};

// Both vectors come whole from the image of the supervisor program region
// that holds address 0, which must hold all 8 bytes (nothing is read outside
// it); otherwise the processor is faulted until a reset succeeds. A reset
// clears the registers and pending requests and installs the supervisor
// lists; everything else stays.
TEST_F(Context, Reset) {
    struct Case {
        const char* what;
        uint32_t low_end;  // the region at 0 ends here; the next region follows
        bool shadow;       // a region at 4-7 ahead in the list holds another PC
        uint32_t initial_pc;
        int result;
    };
    const Case cases[] = {
        {"eight bytes", 7, false, 0x600, 0},
        {"a region ahead that holds the PC's address does not count", 0xFF, true, 0x600, 0},
        {"seven bytes", 6, false, 0x600, 1},
        {"six bytes", 5, false, 0x600, 1},
        {"one byte", 0, false, 0x600, 1},
        {"an odd initial PC", 0xFF, false, 0x601, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Image low(0x0, c.low_end), next(c.low_end + 1, 0x7FF), shadow(0x4, 0x7);
        const uint8_t bytes[8] = {0, 0, 0x20, 0, 0, 0, static_cast<uint8_t>(c.initial_pc >> 8),
                                  static_cast<uint8_t>(c.initial_pc)};
        for (uint32_t a = 0; a < 8; ++a) {
            Image& m = a <= c.low_end ? low : next;
            if (const size_t position = (a - m.low()) ^ 1; position < m.size()) m.host()[position] = bytes[a];
        }
        shadow.put32(4, 0x800);
        next.put16(0x600, NOP);
        Lists lists;
        if (c.shadow) lists.program(shadow);
        lists.program(low);
        lists.program(next);
        lists.finish();
        s68000context& x = ctx();
        for (int i = 0; i < 8; ++i) x.dreg[i] = x.areg[i] = 0x11111111u * i + 5;
        x.asp = 0x1234, x.sr = 0x0015, x.odometer = 999;
        x.interrupts[0] = 0x24, x.interrupts[5] = 50;  // levels 2 and 5 pending
        x.resethandler = [] {};
        install(lists, lists);
        x.fetch = nullptr, x.readword = x.writebyte = nullptr;
        EXPECT_EQ(s68000reset(), c.result);
        if (c.result == 0) {  // registers and pending requests cleared, the supervisor lists in place, the rest kept
            const uint32_t zeros[8] = {};
            EXPECT_TRUE(!std::memcmp(x.dreg, zeros, sizeof zeros) && !std::memcmp(x.areg, zeros, 7 * 4));
            EXPECT_EQ(std::tie(x.areg[7], x.asp, x.sr, x.interrupts[0], x.interrupts[5], x.odometer),
                      std::make_tuple(0x2000u, 0u, uint16_t{0x2700}, uint8_t{0}, uint8_t{50}, 999u));
            EXPECT_TRUE(x.fetch == x.s_fetch && x.readbyte == x.s_readbyte && x.readword == x.s_readword &&
                        x.writebyte == x.s_writebyte && x.writeword == x.s_writeword && x.resethandler);
        }
        EXPECT_EQ(x.pc, c.result == 1 ? 1 : c.initial_pc);
        EXPECT_EQ(s68000exec(100), c.result ? S68000_EXIT_FAULTED : S68000_EXIT_OK);
        if (c.result) EXPECT_EQ(x.odometer, 999u);
    }
    ctx().s_fetch = nullptr;  // no supervisor program list: nothing changes
    const std::vector<uint8_t> before = record();
    EXPECT_EQ(s68000reset(), 1);
    EXPECT_EQ(record(), before);
    start();  // nor while a slice runs
    load({0x7005, MOVE_W_D0_ABS, 0xF0, 0, NOP});  // MOVEQ #5,D0; MOVE.W D0,port; NOP
    int result = 0;
    port_action = [&] { result = s68000reset(); };
    EXPECT_EQ(cycles_of(24), 24u);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ctx().pc, CODE + 10);
}

// s68000fetch reads the supervisor program list only, whatever the mode,
// without changing anything; a word at a region's last byte takes its second
// byte from the region that holds it, or 0xFF.
TEST_F(Context, FetchReadsTheSupervisorProgramRegions) {
    Image data_only(0x20000, 0x2FFFF), user_code(0x0000, 0xFFFF), head(0x30000, 0x30002), tail(0x30003, 0x30010);
    user_code.put16(CODE, 0x5555);
    head.host()[2] = 0x12;  // the host byte of address 0x30002
    tail.host()[0] = 0x34;  // the host byte of address 0x30003
    code().w({NOP, 0xABCD});
    start(CODE, [&](Lists& l) {
        l.data(data_only);
        l.program(head);
    });
    Lists u;
    u.program(user_code);
    u.finish();
    ctx().u_fetch = u.fetch.data();
    set_sr(0x0000);
    const std::vector<uint8_t> before = record();
    for (auto [address, word] : {std::pair<uint32_t, uint32_t>{CODE, NOP}, {CODE + 2, 0xABCD}, {0xFF000000 | CODE, NOP},
                                 {0x20000, 0xFFFFFFFF}, {PORT, 0xFFFFFFFF}, {0x30002, 0xFF12}})
        EXPECT_EQ(s68000fetch(address), word) << address;
    EXPECT_EQ(record(), before);
    EXPECT_TRUE(port_log.empty());
    super.fetch.insert(super.fetch.end() - 1, s68000_program(tail.low(), tail.high(), tail.host()));
    ctx().s_fetch = super.fetch.data();
    EXPECT_EQ(s68000fetch(0x30002), 0x3412u);
}

}  // namespace
