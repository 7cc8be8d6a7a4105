#include "x_windows.h"

#include <SDL_syswm.h>

#ifdef SDL_VIDEO_DRIVER_X11

namespace kit {

namespace {

// GLX's errors about a drawable or window that is gone (GLX numbers them
// from its first error code).
constexpr int kGlxBadDrawable = 2, kGlxBadCurrentWindow = 5, kGlxBadCurrentDrawable = 11, kGlxBadWindow = 12;

bool gWatching = false;
int gGlxFirstError = -1;  // -1: not known (no window yet, or no GLX)
XErrorHandler gDefaultHandler = nullptr;

bool about_gone_window(int code) {
    if (code == BadWindow || code == BadDrawable) return true;
    if (gGlxFirstError < 0) return false;
    const int glx = code - gGlxFirstError;
    return glx == kGlxBadDrawable || glx == kGlxBadCurrentWindow || glx == kGlxBadCurrentDrawable ||
           glx == kGlxBadWindow;
}

int on_x_error(Display* display, XErrorEvent* error) {
    if (about_gone_window(error->error_code)) return 0;
    return gDefaultHandler ? gDefaultHandler(display, error) : 0;
}

bool x11_info(SDL_Window* window, SDL_SysWMinfo& info) {
    SDL_VERSION(&info.version);
    return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}

}  // namespace

void handle_x_errors() {
    if (!gDefaultHandler) gDefaultHandler = XSetErrorHandler(on_x_error);
}

void watch_x_windows(SDL_Window* window) {
    SDL_SysWMinfo info;
    if (gWatching || !x11_info(window, info)) return;
    int opcode = 0, firstEvent = 0;
    if (!XQueryExtension(info.info.x11.display, "GLX", &opcode, &firstEvent, &gGlxFirstError)) gGlxFirstError = -1;
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    gWatching = true;
}

bool x_window_destroyed(const SDL_Event& event, SDL_Window* window) {
    if (event.type != SDL_SYSWMEVENT || !event.syswm.msg || event.syswm.msg->subsystem != SDL_SYSWM_X11)
        return false;
    const XEvent& x = event.syswm.msg->msg.x11.event;
    SDL_SysWMinfo info;
    // SDL may replace a window's X window (same title) and destroy the first:
    // only the one it uses now counts.
    return x.type == DestroyNotify && x11_info(window, info) && x.xdestroywindow.window == info.info.x11.window;
}

void destroy_gone_x_window(SDL_Window* window) {
    SDL_SysWMinfo info;
    if (x11_info(window, info)) {
        XEvent unmapped{};
        unmapped.xunmap.type = UnmapNotify;
        unmapped.xunmap.display = info.info.x11.display;
        unmapped.xunmap.event = unmapped.xunmap.window = info.info.x11.window;
        XPutBackEvent(info.info.x11.display, &unmapped);
    }
    SDL_DestroyWindow(window);
}

}  // namespace kit

#else  // SDL without X11

namespace kit {

void handle_x_errors() {}
void watch_x_windows(SDL_Window*) {}
bool x_window_destroyed(const SDL_Event&, SDL_Window*) { return false; }
void destroy_gone_x_window(SDL_Window* window) { SDL_DestroyWindow(window); }

}  // namespace kit

#endif
