// Input made by the program itself instead of a person, for tests: key
// presses, the close box, a quit request, a pointer, a resize and a drop,
// queued as if they came from the window system, and game controllers of
// the program's own. Callable from any thread while the application's event
// loop runs. Part of the test library platform_testing, which the program
// does not contain.
#pragma once

#include <cstdint>

#include "gamepad_keys.h"

class BWindow;

namespace kit {

// `scancode` is an SDL scancode (a USB HID keyboard usage id); `modifiers`
// the shortcut modifier bits (B_SHIFT_KEY ...) held with it. A key event
// names no window: it goes to the first shown window.
bool synthesize_key(int scancode, bool down, uint32_t modifiers = 0);
bool synthesize_close(BWindow* window);
bool synthesize_quit();
// A pointer of the program's own over `window` at (x, y), in window pixels at
// scale 1, with its button down or up. It stands in for the mouse over that
// window, from the next draw until release_pointer.
bool synthesize_pointer(BWindow* window, float x, float y, bool down);
void release_pointer(BWindow* window);

// The window resized by its user to `width` x `height` screen pixels (not
// below its size limits), as the window system would do it.
bool synthesize_resize(BWindow* window, int width, int height);
// A file or directory dropped on the window.
bool synthesize_drop(BWindow* window, const char* path);

// A game controller of the program's own, through SDL's virtual joystick
// driver: plugging it in and out, its buttons and D-pad (`control`), and its
// left stick (-32768 to 32767 on each axis). The attach returns the
// controller's id, or -1 when there is no game-controller support. Each call
// returns once the event loop has done it.
int attach_virtual_gamepad(const char* name);
bool set_virtual_gamepad_control(int id, gamepad_control control, bool held);
bool set_virtual_gamepad_stick(int id, int x, int y);
bool detach_virtual_gamepad(int id);

}  // namespace kit
