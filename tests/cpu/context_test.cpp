// The context record and the entry points that act on it between slices:
// GetContext/SetContext, reset and s68000fetch.
#include <cstddef>

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

TEST_F(Context, SizeIsTheWholeRecord) {
    EXPECT_EQ(static_cast<size_t>(s68000GetContextSize()), sizeof(s68000context));
    EXPECT_EQ(sizeof(s68000context), offsetof(s68000context, contextfiller00) + 2);
}

TEST_F(Context, SetThenGetCopiesEveryByte) {
    std::vector<uint8_t> in(static_cast<size_t>(s68000GetContextSize()));
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 7 + 3);
    EXPECT_EQ(s68000SetContext(in.data()), 0);
    EXPECT_EQ(std::memcmp(&_s68000context, in.data(), in.size()), 0);
    EXPECT_EQ(record(), in);
}

TEST_F(Context, RestoredRecordRunsExactlyAsTheSavedOne) {
    // A loop that keeps changing registers and RAM: D0 counts, D1 sums.
    code().w(0x5280).w(0xD280).w(0x3F01).w(0x548F).w(0x60F6);  // ADDQ.L #1,D0; ADD.L D0,D1; MOVE.W D1,-(A7); ADDQ.L #2,A7; BRA.S
    start();
    s68000exec(50);
    EXPECT_EQ(s68000interrupt(2, 77), 0);  // pending under mask 7
    const std::vector<uint8_t> saved = record();
    const uint32_t stack_word = mem.get16(RESET_SSP - 2);

    s68000exec(300);
    const std::vector<uint8_t> after = record();
    EXPECT_NE(after, saved);

    s68000SetContext(saved.data());
    EXPECT_EQ(record(), saved);
    EXPECT_EQ(ctx().interrupts[0], 1u << 2);
    EXPECT_EQ(ctx().interrupts[2], 77);
    mem.put16(RESET_SSP - 2, static_cast<uint16_t>(stack_word));
    s68000exec(300);
    EXPECT_EQ(record(), after);
}

TEST_F(Context, SwitchingRecordsLooksThePcUpAfresh) {
    // Two processors whose programs lie at the same addresses in different images.
    Image other(0x0000, 0xFFFF);
    code().w(0x7001).w(0x60FC);              // MOVEQ #1,D0; BRA.S *-2
    Asm(other, CODE).w(0x7002).w(0x60FC);  // MOVEQ #2,D0; BRA.S *-2
    start();
    const std::vector<uint8_t> first = record();
    Lists second_lists;
    second_lists.program(other);
    second_lists.data(other);
    second_lists.finish();
    install(second_lists, second_lists);
    other.put32(0, RESET_SSP);
    other.put32(4, CODE);
    ASSERT_EQ(s68000reset(), 0);
    const std::vector<uint8_t> second = record();

    for (int round = 0; round < 2; ++round) {
        s68000SetContext(first.data());
        s68000exec(30);
        EXPECT_EQ(D(0), 1u);
        s68000SetContext(second.data());
        s68000exec(30);
        EXPECT_EQ(D(0), 2u);
    }
}

class Reset : public CoreTest {};

TEST_F(Reset, LoadsTheVectorsAndClearsTheRegisters) {
    start();
    mem.put32(0, 0x1000);
    mem.put32(4, 0x400);
    s68000context& c = ctx();
    for (int i = 0; i < 8; ++i) c.dreg[i] = c.areg[i] = 0x11111111u * i + 5;
    c.asp = 0x1234;
    c.sr = 0x0015;
    c.fetch = nullptr;
    c.readword = nullptr;
    c.odometer = 999;
    c.interrupts[0] = 0x24;  // levels 2 and 5 pending
    c.interrupts[2] = 40;
    c.interrupts[5] = 50;
    auto handler = [] {};
    c.resethandler = handler;

    EXPECT_EQ(s68000reset(), 0);
    EXPECT_EQ(c.areg[7], 0x1000u);
    EXPECT_EQ(c.pc, 0x400u);
    EXPECT_EQ(c.sr, 0x2700);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(c.dreg[i], 0u);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(c.areg[i], 0u);
    EXPECT_EQ(c.asp, 0u);
    EXPECT_EQ(c.fetch, c.s_fetch);
    EXPECT_EQ(c.readbyte, c.s_readbyte);
    EXPECT_EQ(c.readword, c.s_readword);
    EXPECT_EQ(c.writebyte, c.s_writebyte);
    EXPECT_EQ(c.writeword, c.s_writeword);
    EXPECT_EQ(c.interrupts[0], 0);  // pending requests dropped, vectors kept
    EXPECT_EQ(c.interrupts[2], 40);
    EXPECT_EQ(c.interrupts[5], 50);
    EXPECT_EQ(c.odometer, 999u);
    EXPECT_EQ(c.resethandler, static_cast<s68000_reset_handler>(handler));
}

TEST_F(Reset, OddInitialPcFaults) {
    start();
    mem.put32(4, 0x401);
    ctx().odometer = 5;
    EXPECT_EQ(s68000reset(), -1);
    EXPECT_EQ(ctx().pc, 0x401u);
    EXPECT_EQ(s68000exec(100), S68000_EXIT_FAULTED);
    EXPECT_EQ(ctx().odometer, 5u);
    // A good reset ends the faulted state.
    mem.put32(4, 0x400);
    EXPECT_EQ(s68000reset(), 0);
    mem.put16(0x400, 0x4E71);
    EXPECT_EQ(s68000exec(1), S68000_EXIT_OK);
}

TEST_F(Reset, NoProgramRegionAtZero) {
    Image high(0x10000, 0x1FFFF);
    super.program(high);
    super.finish();
    install(super, super);
    EXPECT_EQ(s68000reset(), 1);
    EXPECT_EQ(ctx().pc, 1u);
    EXPECT_EQ(ctx().interrupts[0] & 1, 1);
    EXPECT_EQ(s68000exec(100), S68000_EXIT_FAULTED);
}

TEST_F(Reset, VectorsComeWholeFromTheRegionThatHoldsAddressZero) {
    // A region ahead of it in the list that holds the initial PC's address
    // does not contribute: both vectors are read from one image.
    Image vectors(0x0, 0xFF);
    Image shadow(0x4, 0x7);
    vectors.put32(0, 0x2000);
    vectors.put32(4, 0x600);
    shadow.put32(4, 0x800);
    super.program(shadow);
    super.program(vectors);
    super.finish();
    install(super, super);
    EXPECT_EQ(s68000reset(), 0);
    EXPECT_EQ(ctx().areg[7], 0x2000u);
    EXPECT_EQ(ctx().pc, 0x600u);
}

TEST_F(Reset, RegionAtZeroShorterThanTheVectorsIsRefused) {
    // Eight bytes are enough; seven are refused even when the next region
    // holds the missing byte, and nothing is read outside either image.
    for (uint32_t last : {7u, 6u, 5u, 1u, 0u}) {
        SCOPED_TRACE(last);
        Image low(0x0, last);
        Image next(last + 1, 0xFF);
        // SSP 0x2000, PC 0x600, byte by byte in whichever image holds each
        // byte (regions of odd size keep only the bytes inside their image).
        const uint8_t bytes[8] = {0, 0, 0x20, 0, 0, 0, 0x06, 0};
        for (uint32_t a = 0; a < 8; ++a) {
            Image& m = a <= last ? low : next;
            const size_t position = (a - m.low()) ^ 1;
            if (position < m.size()) m.host()[position] = bytes[a];
        }
        Lists lists;
        lists.program(low);
        lists.program(next);
        lists.finish();
        install(lists, lists);
        if (last == 7) {
            EXPECT_EQ(s68000reset(), 0);
            EXPECT_EQ(ctx().areg[7], 0x2000u);
            EXPECT_EQ(ctx().pc, 0x600u);
        } else {
            EXPECT_EQ(s68000reset(), 1);
            EXPECT_EQ(ctx().pc, 1u);
            EXPECT_EQ(s68000exec(100), S68000_EXIT_FAULTED);
        }
    }
}

TEST_F(Reset, WithoutASupervisorProgramListChangesNothing) {
    start();
    ctx().dreg[3] = 0x33;
    ctx().s_fetch = nullptr;
    std::vector<uint8_t> before(sizeof(s68000context));
    s68000GetContext(before.data());
    EXPECT_EQ(s68000reset(), 1);
    std::vector<uint8_t> after(sizeof(s68000context));
    s68000GetContext(after.data());
    EXPECT_EQ(after, before);
}

TEST_F(Reset, RefusedWhileASliceRuns) {
    code().w(0x7005).w(0x33C0).l(PORT).w(0x4E71);  // MOVEQ #5,D0; MOVE.W D0,port; NOP
    start();
    int result = 0;
    port_action = [&] { result = s68000reset(); };
    EXPECT_EQ(cycles_of(24), 24u);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(D(0), 5u);
    EXPECT_EQ(ctx().pc, CODE + 10);
}

class Fetch : public CoreTest {};

TEST_F(Fetch, ReadsOnlySupervisorProgramRegions) {
    Image data_only(0x20000, 0x2FFFF);
    Image user_code(0x0000, 0xFFFF);
    data_only.put16(0x20000, 0x1234);
    user_code.put16(CODE, 0x5555);
    code().w(0x4E71).w(0xABCD);
    start(CODE, [&](Lists& l) { l.data(data_only); });
    EXPECT_EQ(s68000fetch(CODE), 0x4E71u);
    EXPECT_EQ(s68000fetch(CODE + 2), 0xABCDu);
    EXPECT_EQ(s68000fetch(0xFF000000 | CODE), 0x4E71u);
    EXPECT_EQ(s68000fetch(0x20000), 0xFFFFFFFFu);  // a data region is not program memory
    EXPECT_EQ(s68000fetch(PORT), 0xFFFFFFFFu);
    EXPECT_TRUE(port_log.empty());

    // In user mode with a user program list of its own, still the supervisor list.
    Lists u;
    u.program(user_code);
    u.finish();
    ctx().u_fetch = u.fetch.data();
    set_sr(0x0000);
    std::vector<uint8_t> before(sizeof(s68000context));
    s68000GetContext(before.data());
    EXPECT_EQ(s68000fetch(CODE), 0x4E71u);
    std::vector<uint8_t> after(sizeof(s68000context));
    s68000GetContext(after.data());
    EXPECT_EQ(after, before);
}

TEST_F(Fetch, WordAtTheLastByteOfARegion) {
    // A region ending at an even address: the word at its last byte takes its
    // second byte from the region that holds it, or 0xFF.
    Image head(0x1000, 0x1002);
    head.host()[2] = 0x12;  // host byte of address 0x1002
    Image tail(0x1003, 0x1010);
    tail.host()[0] = 0x34;  // host byte of address 0x1003
    super.program(head);
    super.finish();
    install(super, super);
    EXPECT_EQ(s68000fetch(0x1002), 0xFF12u);
    Lists both;
    both.program(head);
    both.program(tail);
    both.finish();
    install(both, both);
    EXPECT_EQ(s68000fetch(0x1002), 0x3412u);
}

}  // namespace
