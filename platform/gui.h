// Inside the kit: the event loop's SDL and Dear ImGui side. Main thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gamepad_events.h"

class BWindow;

namespace kit {

class Gui {
public:
    Gui();
    ~Gui();
    Gui(const Gui&) = delete;
    Gui& operator=(const Gui&) = delete;

    // Opens the display; false with a reason when it cannot.
    bool Start(std::string& error);
    // Closes every window's surface and the display.
    void Stop();
    // Sleeps until an event arrives, the loop is woken, or a redraw is due.
    void Wait();
    // Keeps one surface per shown window, handles the pending events and
    // redraws what changed.
    void Update(const std::vector<BWindow*>& windows);

    // For the synthetic input of other threads (run on the main thread).
    bool Resize(BWindow* window, int width, int height);
    bool Drop(BWindow* window, const char* path);
    Gamepads& Pads() { return fGamepads; }

private:
    struct Surface;
    void SyncSurfaces(const std::vector<BWindow*>& windows);
    void HandleEvent(const void* event);
    // Brings the SDL window in line with its BWindow: title, size limits,
    // full screen.
    void Apply(Surface& surface);
    void Render(Surface& surface, bool hostsAlerts);
    // The oldest open alert, in the ImGui frame being built.
    void DrawAlert(float scale);
    void ServeCaptures(Surface& surface);
    Surface* SurfaceForWindowId(unsigned id);
    // The window a key event is for: its own, or for events that name no
    // window (synthesized ones) the first shown window.
    BWindow* KeyboardWindow(Surface* target);

    std::map<BWindow*, std::unique_ptr<Surface>> fSurfaces;
    Gamepads fGamepads;
    bool fStarted = false;
    bool fDirty = true;
    int fExtraFrames = 0;
    long long fNextRenderAt = 0;  // microseconds
};

}  // namespace kit
