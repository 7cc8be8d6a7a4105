#include "fake_board.h"

#include <chrono>
#include <thread>

#include "board.h"
#include "cpudebug.h"
#include "save_state.h"

namespace fake {
std::atomic<int> framesInProgress{0};
std::atomic<int> initCalls{0};
std::string initPath;
std::atomic<int> resets{0};
std::atomic<int> renders{0};
std::atomic<int> renderedWhileDebug{0};
std::atomic<int> renderedWhilePaused{0};
std::atomic<int> monitorEntries{0};
std::atomic<bool> monitorWaits{false};
std::atomic<bool> startupSucceeds{true};
std::atomic<uint32_t> machine{0};
std::atomic<uint64_t> romSetHash{0x0123456789ABCDEFull};
std::atomic<int> captures{0};
std::atomic<int> restores{0};
std::atomic<int> touchedDuringFrame{0};

void reset() {
    initCalls = 0;
    initPath.clear();
    resets = renders = renderedWhileDebug = renderedWhilePaused = monitorEntries = 0;
    monitorWaits = false;
    startupSucceeds = true;
    machine = 0;
    romSetHash = 0x0123456789ABCDEFull;
    captures = restores = touchedDuringFrame = 0;
}
}  // namespace fake

namespace {
unsigned char memory[4][16];
}

unsigned char* codeRom = nullptr;
unsigned char* tilesRom = nullptr;
unsigned char* onboardRam = nullptr;
unsigned char* spriteRam = nullptr;
unsigned char testMode = 0;
std::atomic<uint32_t> cpucycles_by_frame{133333};
uint16_t render_offscreen[kScreenWidth * kScreenHeight];
void (*cpudebug_stop_check)() = nullptr;
bool (*cpudebug_leave_check)() = nullptr;

int pm_initAll(const char* execPath) {
    ++fake::initCalls;
    fake::initPath = execPath;
    const bool ok = fake::startupSucceeds;
    codeRom = ok ? memory[0] : nullptr;
    tilesRom = ok ? memory[1] : nullptr;
    onboardRam = ok ? memory[2] : nullptr;
    spriteRam = ok ? memory[3] : nullptr;
    return 0;
}

int pm_reset() {
    ++fake::resets;
    return 1;
}

uint16_t* pm_render(bool debug, bool paused, int) {
    ++fake::framesInProgress;
    struct FrameEnd {
        ~FrameEnd() { --fake::framesInProgress; }  // also when the thread is killed in the monitor
    } frameEnd;
    const int frame = ++fake::renders;
    if (debug) {
        ++fake::renderedWhileDebug;
        ++fake::monitorEntries;
        while (fake::monitorWaits) {
            if (cpudebug_stop_check) cpudebug_stop_check();
            if (cpudebug_leave_check && cpudebug_leave_check()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (paused) {
        ++fake::renderedWhilePaused;
        return render_offscreen;
    }
    ++fake::machine;
    for (auto& pixel : render_offscreen) pixel = static_cast<uint16_t>(frame & 0x7FFF);
    return render_offscreen;
}

uint64_t pm_romSetHash() { return codeRom ? fake::romSetHash.load() : 0; }

void pm_captureState(BoardState& state, Speed speed) {
    ++fake::captures;
    if (fake::framesInProgress) ++fake::touchedDuringFrame;
    state = BoardState{};
    state.dreg[0] = fake::machine;
    state.speed = speed;
}

void pm_restoreState(const BoardState& state) {
    ++fake::restores;
    if (fake::framesInProgress) ++fake::touchedDuringFrame;
    fake::machine = state.dreg[0];
    cpucycles_by_frame = state.speed == Speed::Fps30 ? 266666 : 133333;
}
