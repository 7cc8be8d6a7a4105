// The pacing benchmark: the real program (its window, emulation thread, kit
// and board) run over the board in a frame timer. Each frame's start is the
// moment the emulation loop calls Machine::render, recorded here with the
// emulation thread's CPU time. At exit the probe prints the frame intervals
// and that CPU time, after the program's own "Average fps" line.
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "machine_wrapper.h"
#include "program.h"

namespace {

constexpr uint32_t kMaxFrames = 1u << 17;

struct Sample {
    int64_t wall;  // monotonic clock, ns
    int64_t cpu;   // the calling thread's CPU time, ns
};

Sample samples[kMaxFrames];
std::atomic<uint32_t> recorded{0};

int64_t nanoseconds(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Nearest-rank percentile of sorted values.
double percentile(const std::vector<int64_t>& sorted, double p) {
    size_t rank = static_cast<size_t>(p / 100.0 * static_cast<double>(sorted.size()) + 0.999999);
    rank = std::clamp<size_t>(rank, 1, sorted.size());
    return static_cast<double>(sorted[rank - 1]);
}

// Runs after main has returned: the emulation thread has been stopped (and
// joined) by the quit, so every sample is complete.
struct Report {
    ~Report() {
        const uint32_t frames = std::min(recorded.load(std::memory_order_acquire), kMaxFrames);
        if (frames < 2) {
            std::printf("pacing: fewer than 2 frames recorded\n");
            return;
        }
        std::vector<int64_t> intervals;
        for (uint32_t i = 1; i < frames; ++i) intervals.push_back(samples[i].wall - samples[i - 1].wall);
        std::sort(intervals.begin(), intervals.end());
        const double wall = static_cast<double>(samples[frames - 1].wall - samples[0].wall);
        const double cpu = static_cast<double>(samples[frames - 1].cpu - samples[0].cpu);
        const double count = static_cast<double>(frames - 1);
        std::printf("pacing: intervals %u mean_us %.1f median_us %.1f p99_us %.1f max_us %.1f "
                    "cpu_us_per_frame %.1f cpu_share %.4f\n",
                    frames - 1, wall / count / 1000, percentile(intervals, 50) / 1000,
                    percentile(intervals, 99) / 1000, static_cast<double>(intervals.back()) / 1000,
                    cpu / count / 1000, cpu / wall);
    }
} report;

// The board, with the start of each frame the program renders recorded.
class FrameTimer : public MachineWrapper {
public:
    using MachineWrapper::MachineWrapper;

    const uint16_t* render(bool debug, bool paused, int fps) override {
        const uint32_t index = recorded.load(std::memory_order_relaxed);
        if (index < kMaxFrames) {
            samples[index] = {nanoseconds(CLOCK_MONOTONIC), nanoseconds(CLOCK_THREAD_CPUTIME_ID)};
            recorded.store(index + 1, std::memory_order_release);
        }
        return MachineWrapper::render(debug, paused, fps);
    }
};

}  // namespace

int main(int argc, char** argv) {
    FrameTimer board(boardMachine());
    return runProgram(argc, argv, board);
}
