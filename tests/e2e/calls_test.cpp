// The call-heavy workload ROM set run headless: its result in work RAM must
// equal the one the host computes from the same source, and the host's run
// must itself be the workload it claims to be (the bytecode ran without a
// fault and did its calls), so the benchmark built on it measures real work.
#include <cstddef>

#include "board_session.h"

extern "C" {
#include "calls_abi.h"
#include "workload.h"
}

namespace e2e {
namespace {

uint32_t blockField(size_t offset) { return readRamLong(CALLS_BLOCK_ADDRESS + uint32_t(offset)); }

TEST(CallHeavyRom, HostRunIsTheIntendedWorkloadAndTheBoardsResultEqualsIt) {
    calls_stats stats{};
    const uint32_t host = calls_workload(&stats);
    EXPECT_EQ(std::make_tuple(stats.fib, stats.calls, stats.faults, stats.nodes, stats.in_order),
              std::make_tuple(144u, 766u, 0u, 100u, 1u)) << "fib(12); 465 calls of it, 301 of the table loops";
    EXPECT_EQ(calls_workload(nullptr), host) << "a second run gives another result";

    ASSERT_TRUE(startBoard(CALLS_ROM_BASE));
    powerOn(false);
    int frames = 0;
    while (!blockField(offsetof(calls_block, done)) && frames < 120) frames = runFrame();
    ASSERT_EQ(blockField(offsetof(calls_block, done)), 1u) << "not done within 120 frames";
    EXPECT_EQ(blockField(offsetof(calls_block, magic)), CALLS_MAGIC);
    EXPECT_EQ(blockField(offsetof(calls_block, iterations)), 1u);
    EXPECT_EQ(blockField(offsetof(calls_block, result)), host);
    std::printf("call-heavy workload: done after %d frames\n", frames);
}

}  // namespace
}  // namespace e2e
