// Inside the kit: the event loop's SDL and Dear ImGui side. Main thread only.
// Its turns and its start and stop are in gui.cpp, the window surfaces in
// gui_surfaces.cpp, the events in gui_events.cpp and the drawing in
// gui_render.cpp.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gamepad_events.h"

class BWindow;
union SDL_Event;

namespace kit {

struct Surface;

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

    // A file or directory dropped on `window`: a message with its reference.
    bool Drop(BWindow* window, const char* path);
    // The surface that shows `window`, or null.
    Surface* SurfaceOf(BWindow* window);
    // Redraws at the next turn.
    void Invalidate() { fDirty = true; }

private:
    void SyncSurfaces(const std::vector<BWindow*>& windows);
    void HandleEvent(SDL_Event& event);
    // Brings the SDL window in line with its BWindow: title, size limits,
    // full screen.
    void Apply(Surface& surface);
    void Render(Surface& surface, bool hostsAlerts);
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
