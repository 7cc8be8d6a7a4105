// The call-heavy workload ROM set run headless: its result in work RAM must
// equal the one the host computes from the same source, and the host's run
// must itself be the workload it claims to be (the bytecode ran without a
// fault and did its calls), so the benchmark built on it measures real work.
#include <gtest/gtest.h>

#include <cstddef>

#include "board_session.h"

extern "C" {
#include "calls_abi.h"
#include "workload.h"
}

namespace e2e {
namespace {

constexpr int kFrameLimit = 120;

uint32_t blockField(size_t offset) { return readRamLong(CALLS_BLOCK_ADDRESS + uint32_t(offset)); }

TEST(CallHeavyRom, HostRunIsTheIntendedWorkload) {
    calls_stats stats{};
    const uint32_t first = calls_workload(&stats);
    EXPECT_EQ(stats.fib, 144u) << "fib(12)";
    EXPECT_EQ(stats.calls, 766u) << "465 calls of fib(12), 301 of the table loops";
    EXPECT_EQ(stats.faults, 0u);
    EXPECT_EQ(stats.nodes, 100u);
    EXPECT_EQ(stats.in_order, 1u);
    EXPECT_EQ(calls_workload(nullptr), first) << "a second run gives another result";
}

TEST(CallHeavyRom, ResultEqualsTheHostsWithinBoundedFrames) {
    ASSERT_TRUE(startBoard(CALLS_ROM_BASE));
    powerOn(false);
    int frames = 0;
    while (!blockField(offsetof(calls_block, done)) && frames < kFrameLimit) frames = runFrame();
    ASSERT_EQ(blockField(offsetof(calls_block, done)), 1u) << "not done within " << kFrameLimit << " frames";
    EXPECT_EQ(blockField(offsetof(calls_block, magic)), CALLS_MAGIC);
    EXPECT_EQ(blockField(offsetof(calls_block, iterations)), 1u);
    EXPECT_EQ(blockField(offsetof(calls_block, result)), calls_workload(nullptr));
    std::printf("call-heavy workload: done after %d frames\n", frames);
}

}  // namespace
}  // namespace e2e
