// Inside the test library: what each of its parts does in the hooks it
// installs in the event loop (gui_automation.h), and the queue of work the
// parts hand to the loop. Main thread only, unless a function says otherwise.
#pragma once

#include <SDL.h>

#include <functional>

class BWindow;

namespace kit {

class Gui;
struct WindowGeometry;

// ---- Work done on the loop's thread (loop_requests.cpp) ----

// Runs `work` on the main thread at the loop's next turn and returns what it
// returned; false when the loop does not run or does not get to it within
// `timeoutMs`. Any thread but the main one.
bool run_on_gui(std::function<bool(Gui&)> work, int timeoutMs = 5000);
void serve_gui_requests(Gui& gui);

// ---- Synthetic input (synthetic_input.cpp) ----

// Turns a synthesized close box into the window system's close event; false
// when its window is not shown. Other events are left alone.
bool rewrite_synthetic_event(Gui& gui, SDL_Event& event);
// The synthetic pointer over `window`, if there is one.
bool synthetic_pointer(BWindow* window, float& x, float& y, bool& down);

// ---- Virtual game controllers (virtual_gamepads.cpp) ----

// Unplugs every virtual controller still plugged in.
void detach_virtual_gamepads();

// ---- Captures (window_capture.cpp) ----

// Whether a capture waits for a draw. Any thread.
bool captures_waiting();
// Records how `window` was drawn and serves the captures waiting for it.
void window_drawn(BWindow* window, WindowGeometry&& geometry, SDL_Renderer* renderer);
void forget_window(BWindow* window);

}  // namespace kit
