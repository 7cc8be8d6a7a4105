// Inside the kit: SDL's windows seen from the X window system, when SDL runs
// on X11. A window that another client destroys (xdotool windowclose, a
// window manager that crashes) must not end the program: X reports the
// requests still made on it as errors, whose default handling exits. Main
// thread only.
#pragma once

#include <SDL.h>

namespace kit {

// Before SDL opens the display: X's error handler from now on ignores the
// errors about windows and drawables that are gone, and hands every other
// error to X's default handler, which exits. SDL keeps it under its own and
// gives it back when it closes the display, so the errors that come in while
// SDL closes its connections are handled by it too.
void handle_x_errors();

// Once, when `window` is the first X window: asks SDL for the X events (its
// window-system events) and learns the numbers of GLX's errors.
void watch_x_windows(SDL_Window* window);

// Whether `event` tells that the X window behind `window` was destroyed.
bool x_window_destroyed(const SDL_Event& event, SDL_Window* window);

// SDL_DestroyWindow for a window whose X window another client destroyed.
// SDL hides a window before it destroys it and waits for X to report it
// unmapped, which X never does for a window that no longer exists: the
// report is put in the event queue for SDL to find.
void destroy_gone_x_window(SDL_Window* window);

}  // namespace kit
