// Inside the kit: key presses that are shortcuts of a window become messages
// to it and never reach the key state. Main thread only.
#pragma once

#include "support_defs.h"

class BWindow;

namespace kit {

// The shortcut modifier bits (B_SHIFT_KEY ...) of SDL's modifier state.
uint32 shortcut_modifiers(unsigned sdlModifiers);
// SDL's modifier state for shortcut modifier bits.
unsigned sdl_modifiers(uint32 modifiers);

// For a key press or release (not a repeat) with key code `code`, meant for
// `window` (may be null). True when the key belongs to a shortcut: a press
// that is one of the window's shortcuts (its message is posted unless an
// alert is open), or the release of such a press (its release message, if
// any, is posted to `window`). Then the key state must not see the key.
bool route_shortcut_key(BWindow* window, int code, bool down, uint32 modifiers, bool alertOpen);

// Focus lost: every shortcut key still held is released, with its message.
void release_shortcut_keys(BWindow* window);

}  // namespace kit
