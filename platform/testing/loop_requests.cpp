// Work that other threads ask the event loop for, done on the main thread at
// its next turn.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "automation_hooks.h"
#include "gui_wake.h"

namespace kit {

namespace {

struct GuiRequest {
    std::function<bool(Gui&)> work;
    bool done = false;
    bool ok = false;
};
std::mutex gRequestLock;
std::condition_variable gRequestDone;
std::vector<GuiRequest*> gRequests;  // guarded by gRequestLock

}  // namespace

bool run_on_gui(std::function<bool(Gui&)> work, int timeoutMs) {
    if (!gui_running()) return false;
    GuiRequest request{std::move(work)};
    std::unique_lock held(gRequestLock);
    gRequests.push_back(&request);
    held.unlock();
    wake_gui();
    held.lock();
    const bool served = gRequestDone.wait_for(held, std::chrono::milliseconds(timeoutMs), [&] { return request.done; });
    if (!served) gRequests.erase(std::find(gRequests.begin(), gRequests.end(), &request));
    return served && request.ok;
}

// Done with the requests' lock held, so that no waiter gives up on a
// request while it runs.
void serve_gui_requests(Gui& gui) {
    std::lock_guard held(gRequestLock);
    if (gRequests.empty()) return;
    for (GuiRequest* request : gRequests) {
        request->ok = request->work(gui);
        request->done = true;
    }
    gRequests.clear();
    gRequestDone.notify_all();
}

}  // namespace kit
