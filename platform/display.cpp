#include "display.h"

#include <SDL.h>

#include <atomic>

#include "window_layout.h"
#include "x_windows.h"

#if defined(__SANITIZE_ADDRESS__)
#define BEVOREL_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BEVOREL_LEAK_CHECK 1
#endif
#endif

#ifdef BEVOREL_LEAK_CHECK
#include <dlfcn.h>
#include <link.h>

#include <vector>
#endif

namespace kit {

namespace {

// Drivers that never show a window. SDL falls back on them when no display
// opens, and the program would then run invisibly: they are used only when
// the user asks for one by name.
bool shows_no_window(const std::string& driver) {
    return driver == "offscreen" || driver == "dummy" || driver == "evdev";
}

// Whether libwayland could find a compositor's socket. Without one it prints
// its own complaint on standard error, so the driver is not tried.
bool wayland_socket_named() {
    const char* display = SDL_getenv("WAYLAND_DISPLAY");
    return SDL_getenv("WAYLAND_SOCKET") || SDL_getenv("XDG_RUNTIME_DIR") || (display && display[0] == '/');
}

void keep_libraries_loaded_for_leak_check() {
#ifdef BEVOREL_LEAK_CHECK
    std::vector<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* list) {
            if (info->dlpi_name && info->dlpi_name[0])
                static_cast<std::vector<std::string>*>(list)->push_back(info->dlpi_name);
            return 0;
        },
        &names);
    // Each handle is kept, never closed, so the library stays mapped.
    for (const std::string& name : names) dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
#endif
}

}  // namespace

namespace {

std::atomic<int> gDensityScale{1};

// The first display's density, read once the video subsystem is up.
bool opened() {
    float dpi = 0;
    if (SDL_GetDisplayDPI(0, nullptr, &dpi, nullptr) != 0) dpi = 0;
    gDensityScale = density_scale(dpi);
    return true;
}

}  // namespace

int screen_density_scale() { return gDensityScale.load(std::memory_order_relaxed); }

bool open_display(std::string& error) {
    handle_x_errors();  // before SDL takes X's handler over
    const char* chosen = SDL_getenv("SDL_VIDEODRIVER");
    if (chosen && *chosen) {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) return opened();
        error = std::string("cannot open the display with SDL_VIDEODRIVER=") + chosen + ": " + SDL_GetError();
        return false;
    }
    std::string tried;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const std::string driver = SDL_GetVideoDriver(i);
        if (shows_no_window(driver)) continue;
        tried += (tried.empty() ? "" : ", ") + driver;
        if (driver == "wayland" && !wayland_socket_named()) continue;
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver.c_str());
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) return opened();
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
    SDL_Quit();  // what the drivers' attempts left open
    const char* display = SDL_getenv("DISPLAY");
    error = "cannot open a window: no display found (DISPLAY " +
            (display && *display ? std::string("is ") + display : std::string("is not set")) + "; tried " +
            (tried.empty() ? std::string("no driver") : tried) + "); SDL_VIDEODRIVER=dummy runs without one";
    return false;
}

void close_display() {
    keep_libraries_loaded_for_leak_check();  // before SDL_Quit unloads the GL driver
    SDL_Quit();
}

}  // namespace kit
