// The window system's events turned into the kit's: key states and
// shortcuts, close boxes, dropped files, focus, alerts answered from the
// keyboard, and the mouse handed to Dear ImGui.
#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <utility>

#include "alert_queue.h"
#include "application.h"
#include "backends/imgui_impl_sdl.h"
#include "gui.h"
#include "gui_automation.h"
#include "gui_surface.h"
#include "gui_wake.h"
#include "key_state.h"
#include "menu_geometry.h"
#include "scancode_map.h"
#include "shortcut_keys.h"
#include "storage.h"
#include "window.h"
#include "x_windows.h"

namespace kit {

bool Gui::Drop(BWindow* window, const char* path) {
    if (!fSurfaces.count(window) || !path || !*path) return false;
    const entry_ref ref(path);
    BMessage dropped(B_SIMPLE_DATA);
    dropped.AddRef("refs", &ref);
    return window->PostMessage(&dropped) == B_OK;
}

BWindow* Gui::KeyboardWindow(Surface* target) {
    if (target) return target->window;
    for (auto& [window, surface] : fSurfaces)
        if (!surface->hidden) return window;
    return nullptr;
}

void Gui::HandleEvent(SDL_Event& event) {
    if (GuiAutomation* automation = gui_automation(); automation && !automation->Rewrite(*this, event)) return;
    if (event.type == wake_event_type()) {
        wake_taken();
        fDirty = true;
        return;
    }
    if (fGamepads.HandleEvent(&event)) return;
    Surface* target = nullptr;
    switch (event.type) {
        case SDL_QUIT:
            if (be_app) be_app->PostMessage(B_QUIT_REQUESTED);
            return;
        case SDL_SYSWMEVENT:
            // A window destroyed by another client is closed as by its close box.
            for (auto& [window, surface] : fSurfaces) {
                if (surface->destroyed || !x_window_destroyed(event, surface->sdlWindow)) continue;
                surface->destroyed = true;
                if (!(window->Flags() & B_NOT_CLOSABLE)) window->PostMessage(B_QUIT_REQUESTED);
            }
            return;
        case SDL_WINDOWEVENT:
            target = SurfaceForWindowId(event.window.windowID);
            if (!target) return;
            if (event.window.event == SDL_WINDOWEVENT_CLOSE && !(target->window->Flags() & B_NOT_CLOSABLE))
                target->window->PostMessage(B_QUIT_REQUESTED);
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                clear_key_states();
                release_shortcut_keys(target->window);
                fGamepads.SetFocused(false);
            }
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) fGamepads.SetFocused(true);
            if (event.window.event == SDL_WINDOWEVENT_MOVED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                keep_screen_place(*target);
            break;
        case SDL_DROPFILE:
            // A file or directory dropped on a window: a message with its reference.
            if (event.drop.file) {
                target = SurfaceForWindowId(event.drop.windowID);
                if (BWindow* window = KeyboardWindow(target)) Drop(window, event.drop.file);
                SDL_free(event.drop.file);
            }
            return;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            target = SurfaceForWindowId(event.key.windowID);
            BWindow* window = KeyboardWindow(target);
            const SDL_Scancode key = event.key.keysym.scancode;
            const bool press = event.type == SDL_KEYDOWN && !event.key.repeat;
            const auto alerts = open_alerts();
            // Escape closes the open menus before it is anything else.
            const bool closesMenus = press && key == SDL_SCANCODE_ESCAPE && alerts.empty() && window &&
                                     !menu_geometry(window).menus.empty();
            const int code = beos_key_for_scancode(key);
            // Typing into a field of an immediate view is not playing the board.
            bool typing = false;
            if (target && target->imgui) {
                ImGui::SetCurrentContext(target->imgui);
                typing = ImGui::GetIO().WantTextInput;
            }
            if (code >= 0 && !(typing && event.type == SDL_KEYDOWN) && !event.key.repeat && !closesMenus &&
                !route_shortcut_key(window, code, event.type == SDL_KEYDOWN,
                                    shortcut_modifiers(event.key.keysym.mod), !alerts.empty()))
                set_key_state(static_cast<uint8_t>(code), event.type == SDL_KEYDOWN);
            if (press && !alerts.empty()) {
                if (key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER)
                    answer_alert(alerts.front().id, static_cast<int32>(alerts.front().buttons.size()) - 1);
                else if (key == SDL_SCANCODE_ESCAPE)
                    answer_alert(alerts.front().id, 0);
            } else if (closesMenus) {
                fSurfaces[window]->closeMenus = true;
            }
            break;
        }
        case SDL_MOUSEMOTION:
            target = SurfaceForWindowId(event.motion.windowID);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            target = SurfaceForWindowId(event.button.windowID);
            break;
        case SDL_MOUSEWHEEL:
            target = SurfaceForWindowId(event.wheel.windowID);
            break;
        case SDL_TEXTINPUT:
            target = SurfaceForWindowId(event.text.windowID);
            break;
        default:
            return;
    }
    if (target) feed_imgui(*target, event);
    fDirty = true;
    fExtraFrames = 2;  // menus settle over the frames that follow an input
}

namespace {

bool waits_for_a_draw(const Surface& surface, const SDL_Event& event) {
    if (surface.hidden) return false;  // no draw to wait for
    if (!surface.held.empty()) return true;  // behind others
    if (event.type == SDL_KEYUP) {
        const auto& pressed = surface.pressedSinceDraw;
        return std::find(pressed.begin(), pressed.end(), event.key.keysym.scancode) != pressed.end();
    }
    return surface.clickedSinceDraw && (event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEBUTTONDOWN ||
                                        event.type == SDL_MOUSEBUTTONUP || event.type == SDL_TEXTINPUT ||
                                        event.type == SDL_KEYDOWN || event.type == SDL_KEYUP);
}

}  // namespace

void feed_imgui(Surface& surface, const SDL_Event& event) {
    surface.touched = true;
    if (waits_for_a_draw(surface, event)) {
        surface.held.push_back(event);
        return;
    }
    switch (event.type) {
        case SDL_MOUSEMOTION:
            surface.pointer = ImVec2(event.motion.x, event.motion.y), surface.pointerInside = true;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            surface.pointer = ImVec2(event.button.x, event.button.y), surface.pointerInside = true;
            surface.clickedSinceDraw = true;
            break;
        case SDL_KEYDOWN:
            surface.pressedSinceDraw.push_back(event.key.keysym.scancode);
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_LEAVE) surface.pointerInside = false;
            break;
    }
    ImGui::SetCurrentContext(surface.imgui);
    SDL_Event copy = event;
    ImGui_ImplSDL2_ProcessEvent(&copy);
}

void drawn(Surface& surface) {
    surface.pressedSinceDraw.clear();
    surface.clickedSinceDraw = false;
    for (const SDL_Event& event : std::exchange(surface.held, {})) feed_imgui(surface, event);
}

}  // namespace kit
