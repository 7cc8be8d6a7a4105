#include "synthetic_input.h"

#include <SDL.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "automation_hooks.h"
#include "gui.h"
#include "gui_surface.h"
#include "gui_wake.h"
#include "shortcut_keys.h"
#include "window.h"

namespace kit {

namespace {

// The code of a synthesized close box: a wake-up event, with the window in
// data1, that the hooks turn into the window's close event.
constexpr Sint32 kCloseBox = 1;

bool push_event(SDL_Event& event) {
    if (!gui_running()) return false;
    return SDL_PushEvent(&event) > 0;
}

struct Pointer {
    float x, y;
    bool down;
};
std::mutex gPointerLock;
std::map<BWindow*, Pointer> gPointers;  // guarded by gPointerLock

}  // namespace

bool synthesize_key(int scancode, bool down, uint32 modifiers) {
    if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES) return false;
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
    event.key.keysym.mod = static_cast<Uint16>(sdl_modifiers(modifiers));
    return push_event(event);
}

bool synthesize_close(BWindow* window) {
    SDL_Event event{};
    event.type = wake_event_type();
    event.user.code = kCloseBox;
    event.user.data1 = window;
    return push_event(event);
}

bool synthesize_quit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    return push_event(event);
}

bool synthesize_pointer(BWindow* window, float x, float y, bool down) {
    if (!gui_running()) return false;
    {
        std::lock_guard held(gPointerLock);
        gPointers[window] = {x, y, down};
    }
    wake_gui();
    return true;
}

void release_pointer(BWindow* window) {
    {
        std::lock_guard held(gPointerLock);
        gPointers.erase(window);
    }
    wake_gui();
}

bool synthesize_resize(BWindow* window, int width, int height) {
    return run_on_gui([=](Gui& gui) {
        Surface* surface = gui.SurfaceOf(window);
        if (!surface || window->Flags() & B_NOT_RESIZABLE || surface->fullScreen) return false;
        SDL_SetWindowSize(surface->sdlWindow, std::max(width, surface->minWidth),
                          std::max(height, surface->minHeight));
        gui.Invalidate();
        return true;
    });
}

bool synthesize_drop(BWindow* window, const char* path) {
    const std::string dropped = path ? path : "";
    return run_on_gui([=](Gui& gui) { return gui.Drop(window, dropped.c_str()); });
}

bool rewrite_synthetic_event(Gui& gui, SDL_Event& event) {
    if (event.type != wake_event_type() || event.user.code != kCloseBox) return true;
    Surface* surface = gui.SurfaceOf(static_cast<BWindow*>(event.user.data1));
    if (!surface) return false;
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(surface->sdlWindow);
    event = close;
    return true;
}

bool synthetic_pointer(BWindow* window, float& x, float& y, bool& down) {
    std::lock_guard held(gPointerLock);
    const auto pointer = gPointers.find(window);
    if (pointer == gPointers.end()) return false;
    x = pointer->second.x;
    y = pointer->second.y;
    down = pointer->second.down;
    return true;
}

}  // namespace kit
