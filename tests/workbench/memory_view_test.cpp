// Looking at memory never acts on the machine: while the Memory panel's view
// reads the whole address space from a snapshot, no port handler runs. Its
// values are those the 68000 reads wherever the board keeps a state.
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "board_session.h"
#include "controller.h"
#include "memory_view.h"
#include "s68000.h"
#include "s68000_debug.h"
#include "watch.h"

namespace {

using namespace workbench;

int handlerCalls = 0;
s68000_read_handler originals[2][16];

template <int List, int Index>
uint32_t counting(uint32_t address, data_region* region) {
    ++handlerCalls;
    return originals[List][Index](address, region);
}

template <int List, int... I>
constexpr std::array<s68000_read_handler, 16> counters(std::integer_sequence<int, I...>) {
    return {&counting<List, I>...};
}

template <int List>
void wrap(data_region* list) {
    constexpr auto replacements = counters<List>(std::make_integer_sequence<int, 16>{});
    for (int i = 0; i < 16 && list[i].low_address != 0xFFFFFFFFu; ++i) {
        if (!list[i].handler) continue;
        originals[List][i] = reinterpret_cast<s68000_read_handler>(list[i].handler);
        list[i].handler = reinterpret_cast<s68000_handler>(replacements[i]);
    }
}

TEST(WorkbenchMemoryView, ReadsNoPortAndAgreesWithTheBoardsState) {
    ASSERT_TRUE(e2e::startBoard(DEMO_ROM_BASE));
    e2e::powerOn(false);
    for (int i = 0; i < 30; ++i) e2e::runFrame();
    wrap<0>(_s68000context.s_readbyte);  // the board's read lists, as the core holds them
    wrap<1>(_s68000context.s_readword);

    Controller controller(e2e::board());
    controller.setOpen(true);
    controller.frameBoundary();  // a snapshot, as the emulation thread takes it
    const auto snapshot = controller.latest();
    ASSERT_TRUE(snapshot && snapshot->valid);
    handlerCalls = 0;
    for (uint32_t address = 0; address < 0x1000000; address += 16) (void)dumpLine(*snapshot, address);
    EXPECT_EQ(handlerCalls, 0) << "the panel's reads ran port handlers";

    // The same bytes as the 68000 reads them (these reads do run the handlers).
    struct Span {
        uint32_t low, high;
        bool shown;
    };
    for (const Span& s : {Span{0x000000, 0x0003FF, true}, Span{0x100000, 0x103FFF, true},
                          Span{0x300000, 0x300001, false}, Span{0x500000, 0x500005, true},
                          Span{0x600000, 0x6001FF, true}, Span{0x700000, 0x701DFF, true},
                          Span{0x200000, 0x200001, false}, Span{0x800000, 0x800003, false}}) {
        for (uint32_t a = s.low; a <= s.high; ++a) {
            const auto shown = viewByte(*snapshot, a);
            ASSERT_EQ(shown.has_value(), s.shown) << std::hex << a;
            if (shown) ASSERT_EQ(*shown, s68000readByte(a)) << std::hex << a;
        }
    }
    EXPECT_GT(handlerCalls, 0) << "the counter sees the 68000's own reads of the ports";
}

TEST(WorkbenchMemoryView, EditsOnlyPlainMemory) {
    for (const auto& [address, editable] : {std::pair{0x100000u, true}, {0x103FFFu, true}, {0x700000u, true},
                                           {0x000100u, false}, {0x600000u, false}, {0x500001u, false}})
        EXPECT_EQ(!refuseEdit(address).has_value(), editable) << std::hex << address;
}

// A watch reads its bytes big-endian from the snapshot in its format.
TEST(WorkbenchMemoryView, WatchedValues) {
    auto snapshot = std::make_unique<Snapshot>();
    snapshot->valid = true;
    snapshot->state.workRam[0] = 0xFFFD;
    snapshot->state.workRam[1] = 0x1234;
    const struct {
        uint32_t address;
        int size;
        WatchFormat format;
        const char* value;
    } rows[] = {
        {0x100000, 1, WatchFormat::Hex, "0xFF"},         {0x100001, 1, WatchFormat::Signed, "-3"},
        {0x100000, 2, WatchFormat::Signed, "-3"},        {0x100000, 2, WatchFormat::Unsigned, "65533"},
        {0x100000, 4, WatchFormat::Hex, "0xFFFD1234"},   {0x100000, 4, WatchFormat::Signed, "-191948"},
        {0x100002, 2, WatchFormat::Signed, "4660"},      {0x200000, 2, WatchFormat::Hex, "--"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(watchValue(*snapshot, Watch{"", r.address, r.size, r.format}), r.value)
            << std::hex << r.address << " " << r.size;
}

}  // namespace
