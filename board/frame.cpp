// The frame driver: one video frame of the board per call.
#include <cstdio>

#include "board.h"
#include "cpudebug.h"
#include "s68000_debug.h"

alignas(64) uint16_t render_offscreen[kScreenWidth * kScreenHeight];
std::atomic<uint32_t> cpucycles_by_frame{cyclesPerFrame(Speed::Fps60)};
void (*pm_frame_hook)() = nullptr;
uint32_t (*pm_slice_runner)(int32_t cycles) = nullptr;

namespace {
constexpr int kSlicesPerFrame = kFrameSlices;
constexpr int kFrameInterruptLevel = 4;
constexpr int kMonitorCpu = 1;
}  // namespace

void pm_put(const char* text) {
    if (text == nullptr) return;
    std::fputs(text, stdout);  // printed as it is, never used as a format
    std::fflush(stdout);
}

uint16_t* pm_render(bool debug, bool paused, int /*fps: not used*/) {
    pm_startFrame(debug);
    if (paused) return render_offscreen;  // the last frame, untouched
    pm_runSlices(nullptr, nullptr);
    pm_drawFrame();
    return render_offscreen;
}

void pm_startFrame(bool debug) {
    acquire_keyboard();  // sampled even while paused
    if (pm_frame_hook) pm_frame_hook();
    if (debug) cpudebug_interactive(kMonitorCpu, pm_put, nullptr, nullptr, nullptr);
}

// One frame's cycles in three slices, the board's pending vector offered at
// level 4 before each. The speed is read afresh for every slice. Without a
// debugger's slice runner the breakpoints stop nothing: a frame runs the
// same whatever a debugger has set.
void pm_runSlices(uint64_t* instructions, uint32_t* hits) {
    for (int slice = 0; slice < kSlicesPerFrame; ++slice) {
        if (NextInterrupt != 0) s68000interrupt(kFrameInterruptLevel, NextInterrupt);
        const uint32_t cycles = cpucycles_by_frame.load(std::memory_order_relaxed) / kSlicesPerFrame;
        if (instructions) {
            for (const uint32_t start = s68000readOdometer(); s68000readOdometer() - start < cycles; ++*instructions) {
                const uint32_t before = s68000readOdometer();
                s68000stepOverBreakpoint(_s68000context.pc);
                s68000exec(1);
                if (s68000readOdometer() == before) break;  // it could not run: the slice ends, as in one run
            }
        } else if (pm_slice_runner) {
            pm_slice_runner(static_cast<int32_t>(cycles));
        } else {
            s68000execThrough(static_cast<int32_t>(cycles), hits);
        }
    }
}

// A step that moves nothing (an instruction that cannot run) ends its slice,
// as it ends the one s68000exec of a frame run whole.
FramePoint pm_stepSlices(const std::function<bool()>& visit) {
    for (int slice = 0; slice < kSlicesPerFrame; ++slice) {
        if (NextInterrupt != 0) s68000interrupt(kFrameInterruptLevel, NextInterrupt);
        const uint32_t cycles = cpucycles_by_frame.load(std::memory_order_relaxed) / kSlicesPerFrame;
        for (const uint32_t start = s68000readOdometer(); s68000readOdometer() - start < cycles;) {
            const uint32_t before = s68000readOdometer(), pc = _s68000context.pc;
            if (!visit()) return {slice, start};
            if (s68000readOdometer() == before && _s68000context.pc == pc) break;
        }
    }
    return {};
}

void pm_finishSlices(const FramePoint& point) {
    for (int slice = point.slice; slice < kSlicesPerFrame; ++slice) {
        const uint32_t cycles = cpucycles_by_frame.load(std::memory_order_relaxed) / kSlicesPerFrame;
        uint32_t left = cycles;
        if (slice == point.slice) {  // under way: its interrupt was offered
            const uint32_t ran = s68000readOdometer() - point.sliceStart;
            if (ran >= cycles) continue;
            left = cycles - ran;
        } else if (NextInterrupt != 0) {
            s68000interrupt(kFrameInterruptLevel, NextInterrupt);
        }
        if (pm_slice_runner) pm_slice_runner(static_cast<int32_t>(left));
        else s68000execThrough(static_cast<int32_t>(left), nullptr);
    }
}

void pm_drawFrame() {
    const uint32_t background = dynamicPalette[0];
    fastClear(render_offscreen, background << 16 | background);
    refreshDisplay();
}
