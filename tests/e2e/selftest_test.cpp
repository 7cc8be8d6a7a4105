// The self-test ROM set run headless: every result the 68000 leaves in work
// RAM must equal the one the host computes from the same source (and from
// models of the assembly-checked instructions), within a bounded number of
// frames; the ROM's parameter block sets how many times the workloads run.
#include <gtest/gtest.h>

#include <cstring>

#include "board_session.h"

extern "C" {
#include "expected.h"
#include "selftest_abi.h"
}

namespace e2e {
namespace {

constexpr int kFrameLimit = 600;  // ten seconds of the board's time

class SelfTestRom : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(startBoard(SELFTEST_ROM_BASE)); }
    static uint32_t field(int index) { return readRamLong(SELFTEST_BLOCK_ADDRESS + 4 * uint32_t(index)); }
    static uint32_t done() { return field(1); }
    static uint32_t count() { return field(2); }
    static uint32_t passed() { return field(3); }
    static uint32_t iterations() { return field(4); }
    static uint32_t result(int i) { return field(5 + i); }

    // Runs from a power-on until the program reports done; returns the frames taken.
    static int runToDone() {
        int frames = 0;
        while (!done() && frames < kFrameLimit) frames = runFrame();
        return frames;
    }

    // The ROM's iteration count, a big-endian long kept as two host-order words.
    static void setIterations(uint32_t n) {
        const uint16_t words[2] = {uint16_t(n >> 16), uint16_t(n)};
        std::memcpy(board().memory(Memory::ProgramRom).data() + SELFTEST_PARAMS_ADDRESS + 4, words, 4);
    }
};

TEST_F(SelfTestRom, EveryResultEqualsTheHostsWithinBoundedFrames) {
    uint32_t host[SELFTEST_RESULTS];
    selftest_host_results(host);
    ASSERT_EQ(host[0], 0xCBF43926u) << "the host's CRC-32 of \"123456789\" is not the standard check value";

    powerOn(false);
    const int frames = runToDone();
    ASSERT_EQ(done(), 1u) << "the self-test did not finish within " << kFrameLimit << " frames";
    ASSERT_EQ(field(0), SELFTEST_MAGIC);
    ASSERT_EQ(count(), uint32_t(SELFTEST_RESULTS));
    for (int i = 0; i < SELFTEST_RESULTS; ++i) {
        const char* name = i < WORKLOAD_RESULTS ? workload_names[i] : "assembly check";
        EXPECT_EQ(result(i), host[i]) << "result " << i << " (" << name << ")";
    }
    EXPECT_EQ(passed(), uint32_t(SELFTEST_RESULTS)) << "the ROM's own comparison disagrees";
    EXPECT_EQ(iterations(), 1u);
    writeFramePng(std::string(E2E_FRAMES_DIR) + "/selftest_done.png");
    std::printf("self-test: %d results, done after %d frames\n", SELFTEST_RESULTS, frames);
}

TEST_F(SelfTestRom, ParameterBlockSetsTheIterations) {
    setIterations(3);
    powerOn(false);
    const int frames = runToDone();
    setIterations(1);
    ASSERT_EQ(done(), 1u) << "three iterations did not finish within " << kFrameLimit << " frames";
    EXPECT_EQ(iterations(), 3u);
    EXPECT_EQ(passed(), uint32_t(SELFTEST_RESULTS));
    std::printf("self-test: three iterations done after %d frames\n", frames);
}

}  // namespace
}  // namespace e2e
