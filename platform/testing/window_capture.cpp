#include "window_capture.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "automation_hooks.h"
#include "gui_wake.h"

namespace kit {

namespace {

// Captures asked for by other threads, served after the next draw.
struct CaptureRequest {
    BWindow* window;
    WindowCapture* capture;
    bool done = false;
    bool ok = false;
};
std::mutex gCaptureLock;
std::condition_variable gCaptureDone;
std::vector<CaptureRequest*> gCaptures;  // guarded by gCaptureLock

std::mutex gGeometryLock;
std::map<BWindow*, WindowGeometry> gGeometry;  // guarded by gGeometryLock

}  // namespace

bool capture_window(BWindow* window, WindowCapture& capture, int timeoutMs) {
    if (!gui_running()) return false;
    CaptureRequest request{window, &capture};
    std::unique_lock held(gCaptureLock);
    gCaptures.push_back(&request);
    held.unlock();
    wake_gui();
    held.lock();
    const bool served =
        gCaptureDone.wait_for(held, std::chrono::milliseconds(timeoutMs), [&] { return request.done; });
    if (!served) gCaptures.erase(std::find(gCaptures.begin(), gCaptures.end(), &request));
    return served && request.ok;
}

WindowGeometry window_geometry(BWindow* window) {
    std::lock_guard held(gGeometryLock);
    const auto found = gGeometry.find(window);
    return found == gGeometry.end() ? WindowGeometry{} : found->second;
}

bool captures_waiting() {
    std::lock_guard held(gCaptureLock);
    return !gCaptures.empty();
}

void window_drawn(BWindow* window, WindowGeometry&& geometry, SDL_Renderer* renderer) {
    {
        // Before the captures are served: a capture's geometry is this draw's.
        std::lock_guard held(gGeometryLock);
        gGeometry[window] = std::move(geometry);
    }
    std::lock_guard held(gCaptureLock);
    for (auto it = gCaptures.begin(); it != gCaptures.end();) {
        CaptureRequest* request = *it;
        if (request->window != window) {
            ++it;
            continue;
        }
        int width = 0, height = 0;
        SDL_GetRendererOutputSize(renderer, &width, &height);
        request->capture->width = width;
        request->capture->height = height;
        request->capture->pixels.assign(static_cast<size_t>(width) * height, 0);
        request->ok = SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888,
                                           request->capture->pixels.data(), width * 4) == 0;
        request->done = true;
        it = gCaptures.erase(it);
    }
    gCaptureDone.notify_all();
}

void forget_window(BWindow* window) {
    std::lock_guard held(gGeometryLock);
    gGeometry.erase(window);
}

}  // namespace kit
