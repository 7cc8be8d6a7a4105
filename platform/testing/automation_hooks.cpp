// The test library's hooks in the event loop, installed when a test program
// starts: every object of this library is linked into each test that links
// it, so a window is recorded from its first draw.
#include "automation_hooks.h"

#include <utility>

#include "gui_automation.h"
#include "window_geometry.h"

namespace kit {

namespace {

class TestAutomation final : public GuiAutomation {
public:
    void Turn(Gui& gui) override { serve_gui_requests(gui); }
    bool Rewrite(Gui& gui, SDL_Event& event) override { return rewrite_synthetic_event(gui, event); }
    bool WantsDraw() override { return captures_waiting(); }
    bool Pointer(BWindow* window, float& x, float& y, bool& down) override {
        return synthetic_pointer(window, x, y, down);
    }
    void Drawn(BWindow* window, WindowGeometry&& geometry, SDL_Renderer* renderer) override {
        window_drawn(window, std::move(geometry), renderer);
    }
    void Gone(BWindow* window) override { forget_window(window); }
    void Stopping() override { detach_virtual_gamepads(); }
};

TestAutomation gHooks;

struct Installer {
    Installer() { install_gui_automation(&gHooks); }
    ~Installer() { install_gui_automation(nullptr); }
} gInstaller;

}  // namespace

}  // namespace kit
