// Inside the kit: the seam through which test automation watches and steers
// the event loop. The program installs nothing here, and the loop then runs
// as if the seam were not there; the test library (platform_testing)
// installs its hooks before the loop starts. Every hook is called on the
// main thread.
#pragma once

#include <SDL.h>

class BWindow;

namespace kit {

class Gui;
struct WindowGeometry;

class GuiAutomation {
public:
    virtual ~GuiAutomation() = default;

    // At the start of each turn, before the events: work that other threads
    // asked the loop for.
    virtual void Turn(Gui& gui) = 0;
    // Each event before the loop handles it. An event of the automation's own
    // may be rewritten into one of the window system's; false drops it.
    virtual bool Rewrite(Gui& gui, SDL_Event& event) = 0;
    // After the events: whether the automation waits for a draw.
    virtual bool WantsDraw() = 0;
    // A pointer of the automation's own standing in for the mouse over
    // `window`: where it is, in window pixels at scale 1, and whether its
    // button is down. False: there is none.
    virtual bool Pointer(BWindow* window, float& x, float& y, bool& down) = 0;
    // `window` has been drawn with `renderer`, as `geometry` says, and is
    // about to be shown.
    virtual void Drawn(BWindow* window, WindowGeometry&& geometry, SDL_Renderer* renderer) = 0;
    // `window` is no longer shown.
    virtual void Gone(BWindow* window) = 0;
    // The loop is stopping; the game controllers and the display close next.
    virtual void Stopping() = 0;
};

// Installs `hooks` (null: none). Before the loop starts, from any thread.
void install_gui_automation(GuiAutomation* hooks);
// The hooks installed, or null.
GuiAutomation* gui_automation();

}  // namespace kit
