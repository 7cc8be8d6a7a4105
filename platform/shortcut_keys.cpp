#include "shortcut_keys.h"

#include <SDL_keycode.h>

#include <array>

#include "window.h"

namespace kit {

namespace {

// The keys whose press was taken as a shortcut, with what their release sends.
struct HeldShortcut {
    bool held = false;
    BMessage released;
};
std::array<HeldShortcut, 128> gHeld;

void release(BWindow* window, HeldShortcut& key) {
    key.held = false;
    if (window && key.released.what != 0) window->PostMessage(&key.released);
}

}  // namespace

uint32 shortcut_modifiers(unsigned sdlModifiers) {
    uint32 modifiers = 0;
    if (sdlModifiers & KMOD_SHIFT) modifiers |= B_SHIFT_KEY;
    if (sdlModifiers & KMOD_ALT) modifiers |= B_COMMAND_KEY;
    if (sdlModifiers & KMOD_CTRL) modifiers |= B_CONTROL_KEY;
    if (sdlModifiers & KMOD_GUI) modifiers |= B_OPTION_KEY;
    return modifiers;
}

unsigned sdl_modifiers(uint32 modifiers) {
    unsigned sdl = KMOD_NONE;
    if (modifiers & B_SHIFT_KEY) sdl |= KMOD_LSHIFT;
    if (modifiers & B_COMMAND_KEY) sdl |= KMOD_LALT;
    if (modifiers & B_CONTROL_KEY) sdl |= KMOD_LCTRL;
    if (modifiers & B_OPTION_KEY) sdl |= KMOD_LGUI;
    return sdl;
}

bool route_shortcut_key(BWindow* window, int code, bool down, uint32 modifiers, bool alertOpen) {
    if (code < 0 || code >= static_cast<int>(gHeld.size())) return false;
    HeldShortcut& key = gHeld[code];
    if (!down) {
        if (!key.held) return false;
        release(window, key);
        return true;
    }
    BMessage pressed;
    if (!window || !window->FindShortcut(static_cast<uint32>(code), modifiers, &pressed, &key.released))
        return false;
    if (alertOpen) return true;  // the alert has the keyboard: the shortcut does nothing
    key.held = true;
    window->PostMessage(&pressed);
    return true;
}

void release_shortcut_keys(BWindow* window) {
    for (HeldShortcut& key : gHeld)
        if (key.held) release(window, key);
}

}  // namespace kit
