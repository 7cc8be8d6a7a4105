// The demo ROM set run headless: reviewed frames in normal play and in
// service mode, and the way the program drives the board (interrupt chain,
// watchdog, one frame drawn per frame). The golden hashes were set after
// looking at the pictures; a changed one is written under frames/differ/ in
// the build directory. (The libretro and program tests read them from here.)
#include <atomic>
#include <cstdlib>
#include <new>

#include "board_session.h"
#include "status.h"

// Allocations are counted while `counting` is set (the global operator new replaced).
namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace
void* operator new(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace e2e {
namespace {

class DemoRom : public DemoSession {
protected:
    enum Field { kMagic, kLevel4, kLevel3, kLevel2, kFrame, kDrawn, kService };
    static uint32_t status(Field field) { return readRamLong(DEMO_STATUS_ADDRESS + 4 * uint32_t(field)); }
};

TEST_F(DemoRom, AttractFramesMatchReviewedPictures) {
    runAndCheck("demo_attract", {}, {{1, 0xE60C12BDE229A325ull}, {8, 0x9F49A7D44E188297ull}, {60, 0x2B336449DDB583ADull}, {240, 0x5B998B2E6468F577ull}});
}

// Steers the ship down-right while firing, repaints it, boosts up, changes
// the theme, turns it round to the left and picks another theme.
TEST_F(DemoRom, PlayedFramesMatchReviewedPictures) {
    const std::vector<KeyEvent> script = {
        {10, kRight, true},     {10, kDown, true},      {40, kLeftAlt, true},  {60, kDown, false},
        {70, kSpace, true},     {72, kSpace, false},    {80, kLeftShift, true}, {80, kUp, true},
        {100, kRight, false},   {100, kLeftAlt, false}, {120, kLeftShift, false}, {120, kUp, false},
        {130, kKey3, true},     {132, kKey3, false},    {140, kLeft, true},    {140, kLeftAlt, true},
        {180, kLeft, false},    {200, kKey5, true},     {202, kKey5, false},   {215, kLeftAlt, false},
    };
    runAndCheck("demo_play", script, {{90, 0x6EF4AD4AD975AD62ull}, {160, 0x944E62CA15D4E5B9ull}, {230, 0xBF505B5DC0D7026Cull}});
}

TEST_F(DemoRom, ServiceModeShowsTheInputTest) {
    powerOn(true);
    const std::vector<KeyEvent> script = {
        {31, kUp, true}, {31, kLeftAlt, true}, {31, kLeftShift, true}, {31, kKey1, true}, {31, kKey5, true},
    };
    runAndCheck("demo_service", script, {{30, 0xC7CB66D52FF6968Cull}, {40, 0x49B3326D2978F9E6ull}});
    EXPECT_EQ(status(kService), 1u) << "the program did not see service mode at 0x500001";
}

// From power-on, and after a reset from the shell mid-run (which leaves work
// RAM and the interrupt chain as they were, vector `due` coming next), the
// program starts within 30 frames, then takes vectors 28, 27 and 26 in turn,
// builds exactly one frame per board frame, finishes the sprite list before
// the board draws it, and feeds the watchdog the frame count; the board's
// frames allocate nothing.
TEST_F(DemoRom, DrivesTheBoardOncePerFrameFromPowerOnAndAfterAResetMidRun) {
    for (uint16_t due : {0, 26, 27, 28}) {
        SCOPED_TRACE("vector due at the reset: " + std::to_string(due));
        BoardState state;
        if (due) {
            for (int n = 0; n < 50; ++n) runFrame();
            board().capture(state);
            state.nextInterrupt = due;  // the chain as another program's may have left it
            board().restore(state);
            board().reset();
        }
        for (int boot = 0; boot == 0 || status(kFrame) == 0; ++boot) {
            ASSERT_LT(boot, 30) << "no frame built within 30 frames of the reset";
            runFrame();  // the first one starts the program afresh, which clears its status
        }
        ASSERT_EQ(status(kMagic), DEMO_STATUS_MAGIC) << "the program did not start";
        for (int n = 0; n < 120; ++n) {
            const uint32_t before = status(kFrame);
            counting = true;
            runFrame();
            counting = false;
            EXPECT_EQ(status(kFrame), before + 1) << "frame " << n << ": not exactly one frame built";
            EXPECT_EQ(status(kDrawn), status(kFrame)) << "frame " << n << ": the board drew an unfinished sprite list";
            board().capture(state);
            EXPECT_EQ(state.watchdog, uint16_t(status(kFrame)));
            EXPECT_EQ(state.nextInterrupt, 26) << "after a frame the chain waits for vector 26";
        }
        EXPECT_EQ(status(kService), 0u);
        EXPECT_EQ(allocations.exchange(0), 0) << "a frame allocated";
        if (due) continue;  // the handlers' counts, from power-on
        EXPECT_GE(status(kLevel4), 120u);
        EXPECT_EQ(status(kLevel4), status(kLevel3)) << "vectors 28 and 27 did not alternate";
        EXPECT_EQ(status(kLevel3), status(kLevel2) + 1) << "vectors 27 and 26 did not alternate";
    }
}

}  // namespace
}  // namespace e2e
