// The self-test ROM set run headless: every result the 68000 leaves in work
// RAM must equal the one the host computes from the same source (and from
// models of the assembly-checked instructions), within ten seconds of the
// board's time, as often as the ROM's parameter block says.
#include <cstring>

#include "board_session.h"
#include "reverse_oracle.h"

extern "C" {
#include "expected.h"
#include "selftest_abi.h"
}

namespace e2e {
namespace {

uint32_t field(int index) { return readRamLong(SELFTEST_BLOCK_ADDRESS + 4 * uint32_t(index)); }
enum Field { kMagic, kDone, kCount, kPassed, kIterations, kResults };

// The ROM's iteration count, a big-endian long kept as two host-order words.
void setIterations(uint32_t n) {
    const uint16_t words[2] = {uint16_t(n >> 16), uint16_t(n)};
    std::memcpy(board().memory(Memory::ProgramRom).data() + SELFTEST_PARAMS_ADDRESS + 4, words, 4);
}

TEST(SelfTestRom, EveryResultEqualsTheHostsWithinBoundedFramesAsOftenAsTheParametersSay) {
    ASSERT_TRUE(startBoard(SELFTEST_ROM_BASE));
    uint32_t host[SELFTEST_RESULTS];
    selftest_host_results(host);
    ASSERT_EQ(host[0], 0xCBF43926u) << "the host's CRC-32 of \"123456789\" is not the standard check value";
    for (uint32_t iterations : {1, 3}) {
        setIterations(iterations);
        powerOn(false);
        int frames = 0;
        while (!field(kDone) && frames < 600) frames = runFrame();
        ASSERT_EQ(field(kDone), 1u) << iterations << " iterations did not finish within 600 frames";
        ASSERT_EQ(field(kMagic), SELFTEST_MAGIC);
        ASSERT_EQ(field(kCount), uint32_t(SELFTEST_RESULTS));
        for (int i = 0; i < SELFTEST_RESULTS; ++i)
            EXPECT_EQ(field(kResults + i), host[i])
                << "result " << i << " (" << (i < WORKLOAD_RESULTS ? workload_names[i] : "assembly check") << ")";
        EXPECT_EQ(field(kPassed), uint32_t(SELFTEST_RESULTS)) << "the ROM's own comparison disagrees";
        EXPECT_EQ(field(kIterations), iterations);
        std::printf("self-test: %d results, %u iterations done after %d frames\n", SELFTEST_RESULTS, iterations, frames);
    }
    setIterations(1);
}

// Going back lands where the forward run was here too (interrupts taken in STOP).
TEST(SelfTestRom, GoingBackLandsWhereTheForwardRunWas) {
    ASSERT_TRUE(startBoard(SELFTEST_ROM_BASE));
    setIterations(3);
    powerOn(false);
#if __has_feature(address_sanitizer)  // a frame costs seven times as much there
    EXPECT_EQ(checkReverseAgainstForwardRun(randomInputs(20, 8), 30, 35), 30);
#else
    EXPECT_EQ(checkReverseAgainstForwardRun(randomInputs(60, 8), 100, 35), 100);
#endif
}

}  // namespace
}  // namespace e2e
