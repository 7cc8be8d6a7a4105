#include "gui_wake.h"

#include <SDL.h>

#include <atomic>

namespace kit {

namespace {

std::atomic<bool> gRunning{false};
std::atomic<bool> gWakePending{false};  // a wake-up is queued and not yet taken
std::atomic<Uint32> gWakeEvent{0};

}  // namespace

void wake_gui() {
    if (!gRunning.load(std::memory_order_acquire)) return;
    if (gWakePending.exchange(true, std::memory_order_acq_rel)) return;
    SDL_Event event{};
    event.type = gWakeEvent.load(std::memory_order_relaxed);
    if (SDL_PushEvent(&event) <= 0) gWakePending.store(false, std::memory_order_release);
}

bool gui_running() { return gRunning.load(std::memory_order_acquire); }

bool register_wake_event() {
    const Uint32 wake = SDL_RegisterEvents(1);
    if (wake == static_cast<Uint32>(-1)) return false;
    gWakeEvent.store(wake, std::memory_order_relaxed);
    gWakePending.store(false);
    return true;
}

void set_gui_running(bool running) { gRunning.store(running, std::memory_order_release); }

uint32_t wake_event_type() { return gWakeEvent.load(std::memory_order_relaxed); }

void wake_taken() { gWakePending.store(false, std::memory_order_release); }

}  // namespace kit
