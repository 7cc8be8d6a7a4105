// The event loop's turns, and its start and stop.
#include "gui.h"

#include <SDL.h>
#include <imgui.h>

#include <atomic>

#include "alert_queue.h"
#include "display.h"
#include "gui_automation.h"
#include "gui_surface.h"
#include "gui_wake.h"
#include "immediate_view.h"
#include "window.h"
#include "kernel.h"

namespace kit {

namespace {

constexpr long long kMinRenderInterval = 8000;  // microseconds: at most 125 redraws a second
constexpr int kIdleWaitMs = 250;
constexpr long long kImmediateInterval = 40000;  // microseconds: 25 redraws a second

bool hasImmediateViews(BWindow* window) {
    for (BView* view : window->Children())
        if (dynamic_cast<BImmediateView*>(view)) return true;
    return false;
}

std::atomic<GuiAutomation*> gAutomation{nullptr};

long long now_us() { return static_cast<long long>(system_time()); }

}  // namespace

void install_gui_automation(GuiAutomation* hooks) { gAutomation.store(hooks, std::memory_order_release); }

GuiAutomation* gui_automation() { return gAutomation.load(std::memory_order_acquire); }

Gui::Gui() = default;

Gui::~Gui() { Stop(); }

bool Gui::Start(std::string& error) {
    if (fStarted) return true;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    if (!open_display(error)) return false;
    if (!register_wake_event()) {
        error = "cannot register the event loop's wake-up event";
        SDL_Quit();
        return false;
    }
    fGamepads.Start();
    set_gui_running(true);
    fStarted = true;
    return true;
}

void Gui::Stop() {
    if (!fStarted) return;
    set_gui_running(false);
    drop_detached_alerts();
    fSurfaces.clear();
    if (GuiAutomation* automation = gui_automation()) automation->Stopping();
    fGamepads.Stop();
    ImGui::SetCurrentContext(nullptr);
    close_display();
    fStarted = false;
}

void Gui::Wait() {
    int timeout = kIdleWaitMs;
    if (fDirty) {
        const long long wait = fNextRenderAt - now_us();
        timeout = wait > 0 ? static_cast<int>((wait + 999) / 1000) : 0;
    }
    if (timeout > 0) SDL_WaitEventTimeout(nullptr, timeout);
}

void Gui::Update(const std::vector<BWindow*>& windows) {
    SyncSurfaces(windows);
    GuiAutomation* automation = gui_automation();
    if (automation) automation->Turn(*this);
    SDL_Event event;
    while (SDL_PollEvent(&event)) HandleEvent(event);
    if (automation && automation->WantsDraw()) fDirty = true;
    if (!fDirty || now_us() < fNextRenderAt) return;
    fDirty = false;
    bool first = true;
    for (auto& [window, surface] : fSurfaces) {
        if (surface->hidden || surface->destroyed) continue;
        const bool hostsAlerts = first;
        first = false;
        if (hasImmediateViews(window)) {
            if (!surface->touched && now_us() < surface->nextRenderAt) {
                ++fExtraFrames;  // drawn at a later turn
                continue;
            }
            surface->touched = false;
            surface->nextRenderAt = now_us() + kImmediateInterval;
        }
        Render(*surface, hostsAlerts);
    }
    fNextRenderAt = now_us() + kMinRenderInterval;
    for (auto& [window, surface] : fSurfaces)
        if (surface->touched && !surface->hidden) fDirty = true;  // input handed on after its draw
    if (fExtraFrames > 0 || !open_alerts().empty()) {
        if (fExtraFrames > 0) --fExtraFrames;
        fDirty = true;
    }
}

}  // namespace kit
