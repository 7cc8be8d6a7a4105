// The frame driver running a small 68000 program on the board's memory map:
// interrupt vectors over the slices, slice lengths, pause, the keyboard, the
// background after reset, and the program's sprite and palette writes on
// screen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "board.h"
#include "frame_program.h"
#include "key_state.h"

using namespace frame_test;

// Counts the allocations made through operator new while a test asks for it
// (this replaces the program's global operator new and delete).
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

struct ProbeRecord {
    uint32_t vector;
    uint32_t odometer;  // cycle count at the handler's first instruction
};
std::vector<ProbeRecord> probeRecords;
void (*onProbe)() = nullptr;

void probe_wordWrite(uint32_t, uint32_t data, data_region*) {
    probeRecords.push_back({data, s68000readOdometer()});
    if (onProbe) onProbe();
}

std::vector<uint32_t> vectorsSeen() {
    std::vector<uint32_t> v;
    for (const auto& r : probeRecords) v.push_back(r.vector);
    return v;
}

// Cycles between consecutive interrupts, that is the length of each slice
// the program spends stopped between them.
std::vector<uint32_t> cyclesBetweenInterrupts() {
    std::vector<uint32_t> d;
    for (size_t i = 1; i < probeRecords.size(); ++i) d.push_back(probeRecords[i].odometer - probeRecords[i - 1].odometer);
    return d;
}

class FrameDriver : public ::testing::Test {
protected:
    void SetUp() override {
        installTestMemories();

        NextInterrupt = 0;
        cpucycles_by_frame = 133333;
        probeRecords.clear();
        probeRecords.reserve(4096);
        onProbe = nullptr;
        pm_setKeySource(read_key_states);
        clear_key_states();

        s68000init();
        pm_defineMemoryMap();
        // The board's word writes plus the probe port.
        static std::array<data_region, 17> writes;
        size_t n = 0;
        while (pretend_writeword[n].low_address != 0xFFFFFFFFu) {
            writes.at(n) = pretend_writeword[n];
            ++n;
        }
        writes.at(n++) = s68000_writer(kProbe, kProbe + 1, probe_wordWrite);
        writes.at(n) = s68000_data_end();
        _s68000context.s_writeword = _s68000context.u_writeword = writes.data();

        testing::internal::CaptureStdout();  // the reset report
        pm_reset();
        testing::internal::GetCapturedStdout();
    }

    void TearDown() override {
        onProbe = nullptr;
        clear_key_states();
    }

    static void frames(int count) {
        for (int i = 0; i < count; ++i) ASSERT_EQ(pm_render(false, false, 60), render_offscreen);
    }

    static int pixelsOf(uint16_t value) {
        int n = 0;
        for (uint16_t p : render_offscreen) n += p == value;
        return n;
    }

private:
    BoardPointersKept kept_;  // made before SetUp, undone after TearDown
};

// Which vectors the program's handler sees over three frames: none before it
// enables interrupts, then one a slice from the slice after the enable, the
// next vector only once the handler acknowledges.
TEST_F(FrameDriver, InterruptsCarryVectors28_27_26InTurnOneASlice) {
    const struct {
        bool go, ack;
        std::vector<uint32_t> vectors;
    } rows[] = {
        {true, true, {28, 27, 26, 28, 27, 26, 28, 27}},
        {true, false, {28, 28, 28, 28, 28, 28, 28, 28}},
        {false, true, {}},
    };
    for (const auto& r : rows) {
        SetUp();
        setRamWord(kGoFlag, r.go);
        setRamWord(kAckFlag, r.ack);
        const uint32_t before = s68000readOdometer();
        frames(3);
        EXPECT_EQ(vectorsSeen(), r.vectors);
        EXPECT_GE(s68000readOdometer() - before, 3 * 133332u) << "the program ran all the while";
        if (r.go) continue;
        EXPECT_EQ(_s68000context.interrupts[0] & 0xFE, 0) << "no request was queued";
        setRamWord(kGoFlag, 1);
        frames(1);
        EXPECT_EQ(vectorsSeen(), (std::vector<uint32_t>{28, 27})) << "first interrupt in the slice after the enable";
    }
}

TEST_F(FrameDriver, SlicesAreAThirdOfTheFrame) {
    setRamWord(kGoFlag, 1);
    setRamWord(kAckFlag, 1);
    // The program spends each slice stopped after its handler, so every slice
    // counts exactly its budget.
    uint32_t before = s68000readOdometer();
    frames(2);
    EXPECT_EQ(s68000readOdometer() - before, 2 * 133332u);
    EXPECT_EQ(cyclesBetweenInterrupts(), (std::vector<uint32_t>{44444, 44444, 44444, 44444}));

    cpucycles_by_frame = 266666;
    probeRecords.clear();
    before = s68000readOdometer();
    frames(2);
    EXPECT_EQ(s68000readOdometer() - before, 2 * 266664u);
    EXPECT_EQ(cyclesBetweenInterrupts(), (std::vector<uint32_t>{88888, 88888, 88888, 88888, 88888}));
}

TEST_F(FrameDriver, SpeedIsReadAfreshForEverySlice) {
    setRamWord(kGoFlag, 1);
    setRamWord(kAckFlag, 1);
    // The first handler (slice 2 of frame 1) doubles the speed: slice 2 keeps
    // its budget, slice 3 already has the new one.
    onProbe = [] {
        cpucycles_by_frame = 266666;
        onProbe = nullptr;
    };
    frames(2);
    EXPECT_EQ(cyclesBetweenInterrupts(), (std::vector<uint32_t>{44444, 88888, 88888, 88888}));
}

TEST_F(FrameDriver, PausedFrameIsTheLastFrameAndCostsNoCycleButSamplesKeys) {
    setRamWord(kGoFlag, 1);
    setRamWord(kAckFlag, 1);
    frames(2);
    render_offscreen[1234] = 0x1234;  // the paused frame must not even be cleared
    const std::vector<uint16_t> shown(std::begin(render_offscreen), std::end(render_offscreen));
    const uint32_t cycles = s68000readOdometer();
    const uint8_t requests = _s68000context.interrupts[0];
    const uint32_t pc = _s68000context.pc;
    const size_t interrupts = probeRecords.size();
    const uint16_t next = NextInterrupt;

    set_key_state(0x57, true);  // Up
    set_key_state(0x12, true);  // 1
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(pm_render(false, true, 60), render_offscreen);
        EXPECT_TRUE(std::equal(shown.begin(), shown.end(), render_offscreen));
    }
    EXPECT_EQ(s68000readOdometer(), cycles);
    EXPECT_EQ(_s68000context.interrupts[0], requests) << "no interrupt requested";
    EXPECT_EQ(_s68000context.pc, pc);
    EXPECT_EQ(probeRecords.size(), interrupts);
    EXPECT_EQ(NextInterrupt, next);
    EXPECT_EQ(IOBuf[0], 0x7E);
    EXPECT_EQ(IOBuf[4], 0xBE);

    // Unpaused, the interrupt chain goes on where it stopped.
    frames(1);
    EXPECT_EQ(vectorsSeen().back(), 27u);
    EXPECT_EQ(probeRecords.size(), interrupts + 3);
    EXPECT_EQ(render_offscreen[1234], kBlue);
}

TEST_F(FrameDriver, BackgroundIsWhiteAfterResetUntilPaletteEntryZeroIsWritten) {
    setRamWord(kGoFlag, 1);
    setRamWord(kAckFlag, 1);
    constexpr int kFramePixels = 256 * 224;

    // Frame 1: the program has written palette entry 1 and sprite 0, not yet
    // the background (its vector-26 handler runs in frame 2).
    frames(1);
    EXPECT_EQ(pixelsOf(0xFFFF), kFramePixels - 256);
    EXPECT_EQ(pixelsOf(kRed), 256);
    // Sprite 0 at X = 0x30, Y = 0x40: frame rows and columns 0x30-0x3F, tile 1.
    EXPECT_EQ(render_offscreen[0x30 * 256 + 0x30], kRed);
    EXPECT_EQ(render_offscreen[0x3F * 256 + 0x3F], kRed);
    EXPECT_EQ(render_offscreen[0x2F * 256 + 0x30], 0xFFFF);
    EXPECT_EQ(render_offscreen[0x30 * 256 + 0x40], 0xFFFF);

    frames(1);
    EXPECT_EQ(dynamicPalette[0], kBlue);
    EXPECT_EQ(pixelsOf(kBlue), kFramePixels - 256) << "every background pixel, odd and even";
    EXPECT_EQ(pixelsOf(kRed), 256);
}

TEST_F(FrameDriver, DebugFlagRunsTheMonitorForCpu1BeforeTheFrame) {
    setRamWord(kGoFlag, 1);
    setRamWord(kAckFlag, 1);
    // The monitor reads its commands from standard input: give it "q".
    int commands[2];
    ASSERT_EQ(pipe(commands), 0);
    ASSERT_EQ(write(commands[1], "q\n", 2), 2);
    close(commands[1]);
    const int savedInput = dup(STDIN_FILENO);
    dup2(commands[0], STDIN_FILENO);
    close(commands[0]);

    const uint32_t before = s68000readOdometer();
    testing::internal::CaptureStdout();
    uint16_t* frame = pm_render(true, false, 60);
    const std::string console = testing::internal::GetCapturedStdout();
    dup2(savedInput, STDIN_FILENO);
    close(savedInput);

    EXPECT_EQ(frame, render_offscreen);
    EXPECT_EQ(console, "[cpu 1]>");
    EXPECT_EQ(s68000readOdometer() - before, 133332u) << "the frame ran after the monitor returned";
    EXPECT_EQ(vectorsSeen(), (std::vector<uint32_t>{28, 27}));
}

TEST_F(FrameDriver, FramesAllocateNothing) {
    setRamWord(kGoFlag, 1);
    setRamWord(kAckFlag, 1);
    frames(1);
    // A full sprite list: every entry visible, drawn through the same tile.
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
    EXPECT_EQ(pixelsOf(kRed), 255 * 16) << "the sprites were drawn";
}

}  // namespace
