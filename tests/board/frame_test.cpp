// The frame driver on a hand-assembled program: slices, pause, and frames
// that allocate nothing. (The interrupt chain is the demo's golden frames'.)
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <new>
#include <vector>

#include "board.h"
#include "key_state.h"

// Counts operator new's allocations while a test asks (replacing the global one).
namespace {
std::atomic<bool> countingAllocations{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (countingAllocations.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr uint32_t kGoFlag = 0x100000;   // work RAM word: non-zero lets the program start
constexpr uint32_t kAckFlag = 0x100002;  // work RAM word: non-zero makes handlers acknowledge
constexpr uint16_t kRed = 0x7C00;        // the drawing colour of the program's sprite

// The program (68000 words in host order) waits for the go flag, writes
// palette entry 1 and sprite 0, enables interrupts and idles in STOP; the
// handlers of vectors 28, 27, 26 acknowledge while the acknowledge flag is set.
std::vector<uint16_t> testProgram() {
    std::vector<uint16_t> words(0x40000 / 2, 0xFFFF);
    auto put = [&](uint32_t at, std::initializer_list<uint16_t> code) {
        for (uint16_t w : code) words.at(at / 2) = w, at += 2;
    };
    put(0x000, {0x0010, 0x4000, 0x0000, 0x0400});
    put(0x068, {0x0000, 0x0500, 0x0000, 0x0480, 0x0000, 0x0440});
    put(0x400, {0x46FC, 0x2000,                  // move.w #$2000,sr
                0x4A79, 0x0010, 0x0000, 0x67F8,  // tst.w $100000; beq.s $404
                0x33FC, 0x001F, 0x0060, 0x0002,  // move.w #$001f,$600002
                0x33FC, 0x0030, 0x0070, 0x0008,  // move.w #$0030,$700008
                0x33FC, 0x0040, 0x0070, 0x000A,  // move.w #$0040,$70000a
                0x13FC, 0x0001, 0x0070, 0x000D,  // move.b #$01,$70000d
                0x33FC, 0x0001, 0x0040, 0x0000,  // move.w #$0001,$400000
                0x4E72, 0x2000, 0x60FA});        // stop #$2000; bra.s $434
    for (const auto& [at, ack] : {std::pair{0x440u, 0x80}, {0x480u, 0x90}, {0x500u, 0xA0}})
        put(at, {0x4A79, 0x0010, 0x0002, 0x6708,                   // tst.w $100002; beq.s rte
                 0x33FC, 0x0000, uint16_t(ack), 0x0000, 0x4E73});  // move.w #0,ack; rte
    return words;
}

void setRamWord(uint32_t address, uint16_t value) { std::memcpy(onboardRam + (address - 0x100000), &value, 2); }

class FrameDriver : public ::testing::Test {
protected:
    void SetUp() override {
        static std::vector<uint16_t> rom;
        static std::vector<unsigned char> ram, sprites, tiles;
        rom = testProgram();
        ram.assign(0x4000, 0);
        sprites.assign(7680, 0);
        tiles.assign(0x100000, 0);
        std::fill_n(&tiles[256], 256, 1);  // tile 1: colour 1 everywhere
        codeRom = reinterpret_cast<unsigned char*>(rom.data());
        onboardRam = ram.data();
        spriteRam = sprites.data();
        tilesRom = tiles.data();
        NextInterrupt = 0;
        cpucycles_by_frame = 133333;
        pm_setKeySource(read_key_states);
        clear_key_states();
        s68000init();
        pm_defineMemoryMap();
        testing::internal::CaptureStdout();  // the reset report
        pm_reset();
        testing::internal::GetCapturedStdout();
        setRamWord(kGoFlag, 1);
        setRamWord(kAckFlag, 1);
    }
    void TearDown() override {
        codeRom = saved_[0], onboardRam = saved_[1], spriteRam = saved_[2], tilesRom = saved_[3];
        NextInterrupt = 0;
        cpucycles_by_frame = 133333;
        clear_key_states();
    }

    static void frames(int count) {
        for (int i = 0; i < count; ++i) ASSERT_EQ(pm_render(false, false, 60), render_offscreen);
    }

private:
    unsigned char* saved_[4] = {codeRom, onboardRam, spriteRam, tilesRom};
};

// Each slice gets a third of the frame's cycles at the speed of that moment.
TEST_F(FrameDriver, SlicesAreAThirdOfTheFrameAtTheSpeedOfEachSlice) {
    static std::vector<int32_t> budgets;
    budgets.clear();
    pm_slice_runner = [](int32_t cycles) -> uint32_t {
        budgets.push_back(cycles);
        cpucycles_by_frame = 266666;  // from the next slice on
        return static_cast<uint32_t>(s68000exec(cycles));
    };
    frames(1);
    pm_slice_runner = nullptr;
    EXPECT_EQ(budgets, (std::vector<int32_t>{44444, 88888, 88888}));
}

TEST_F(FrameDriver, PausedFrameIsTheLastFrameAndCostsNoCycleButSamplesKeys) {
    frames(2);
    render_offscreen[1234] = 0x1234;  // the paused frame must not even be cleared
    const std::vector<uint16_t> shown(std::begin(render_offscreen), std::end(render_offscreen));
    const uint32_t cycles = s68000readOdometer();
    const s68000context context = _s68000context;
    const uint16_t next = NextInterrupt;
    set_key_state(0x57, true);  // Up
    set_key_state(0x12, true);  // 1
    for (int i = 0; i < 3; ++i) ASSERT_EQ(pm_render(false, true, 60), render_offscreen);
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), render_offscreen));
    EXPECT_EQ(s68000readOdometer(), cycles);
    EXPECT_EQ(_s68000context.interrupts[0], context.interrupts[0]) << "no interrupt requested";
    EXPECT_EQ(_s68000context.pc, context.pc);
    EXPECT_EQ(NextInterrupt, next) << "no handler ran";
    EXPECT_EQ(IOBuf[0] << 8 | IOBuf[4], 0x7EBE) << "the keys were sampled";
    frames(1);  // unpaused, the frame runs and is drawn again
    EXPECT_EQ(s68000readOdometer() - cycles, 133332u);
    EXPECT_NE(render_offscreen[1234], 0x1234);
}

TEST_F(FrameDriver, FramesAllocateNothing) {
    frames(1);
    for (int n = 0; n < 480; ++n) {
        const uint16_t entry[8] = {0, 0, 0, 0, static_cast<uint16_t>(n % 240), 0x40, 1, 0};
        std::memcpy(spriteRam + 16 * n, entry, sizeof entry);
    }
    allocations = 0;
    countingAllocations = true;
    frames(5);
    ASSERT_EQ(pm_render(false, true, 60), render_offscreen);
    countingAllocations = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(std::count(std::begin(render_offscreen), std::end(render_offscreen), kRed), 255 * 16) << "sprites drawn";
}

}  // namespace
