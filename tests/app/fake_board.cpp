#include "fake_board.h"

#include <chrono>
#include <thread>

#include "board.h"
#include "cpudebug.h"

namespace fake {
std::atomic<int> initCalls{0};
std::string initPath;
std::atomic<int> resets{0};
std::atomic<int> renders{0};
std::atomic<int> renderedWhileDebug{0};
std::atomic<int> renderedWhilePaused{0};
std::atomic<int> monitorEntries{0};
std::atomic<bool> monitorWaits{false};
std::atomic<bool> startupSucceeds{true};

void reset() {
    initCalls = 0;
    initPath.clear();
    resets = renders = renderedWhileDebug = renderedWhilePaused = monitorEntries = 0;
    monitorWaits = false;
    startupSucceeds = true;
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
    for (auto& pixel : render_offscreen) pixel = static_cast<uint16_t>(frame & 0x7FFF);
    return render_offscreen;
}
