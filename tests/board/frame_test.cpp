// The frame driver's slices and its paused frame, with the slices recorded
// instead of run. (What the program does in them is the demo's golden frames'.)
#include <gtest/gtest.h>

#include <vector>

#include "board.h"
#include "key_state.h"

namespace {

// Each slice gets a third of the frame's cycles at the speed of its own
// start; a paused frame samples the keys and runs and draws nothing.
TEST(FrameDriver, SlicesAtEachSlicesSpeedAndAPausedFrameOnlySamplesKeys) {
    static std::vector<int32_t> budgets;
    budgets.clear();
    pm_slice_runner = [](int32_t cycles) -> uint32_t {
        budgets.push_back(cycles);
        cpucycles_by_frame = cyclesPerFrame(Speed::Fps30);  // from the next slice on
        return 0;
    };
    NextInterrupt = 0;
    pm_setKeySource(read_key_states);
    clear_key_states();
    set_key_state(0x57, true);  // Up
    render_offscreen[1234] = 0x1234;
    pm_render(false, true, 60);
    EXPECT_EQ(IOBuf[0], 0x7E) << "the keys were not sampled";
    EXPECT_EQ(render_offscreen[1234], 0x1234) << "the paused frame was drawn";
    EXPECT_TRUE(budgets.empty()) << "the paused frame ran";
    pm_render(false, false, 60);
    EXPECT_EQ(budgets, (std::vector<int32_t>{133333 / 3, 266666 / 3, 266666 / 3}));
    pm_slice_runner = nullptr;
    cpucycles_by_frame = cyclesPerFrame(Speed::Fps60);
    clear_key_states();
}

}  // namespace
