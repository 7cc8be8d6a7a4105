// Inside the kit: how any thread tells the application's event loop that
// something it shows changed, and whether that loop runs. The loop's own
// side registers the wake-up event and takes it.
#pragma once

#include <cstdint>

namespace kit {

// Wakes the event loop for a redraw. Callable from any thread; does nothing
// while no loop runs.
void wake_gui();
// Whether the event loop is running (windows and alerts can be shown).
bool gui_running();

// ---- The event loop's side (main thread) ----

// Registers the wake-up event with SDL; false when SDL has no event left.
bool register_wake_event();
// Marks the loop as running, or no longer.
void set_gui_running(bool running);
// The SDL event type of wake-ups.
uint32_t wake_event_type();
// The loop has taken a wake-up: the next wake_gui sends another.
void wake_taken();

}  // namespace kit
