// A surface for every shown window: opened when the window shows, kept in
// line with it (title, size limits, full screen, hidden or not), closed when
// it goes.
#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>

#include "backends/imgui_impl_sdl.h"
#include "backends/imgui_impl_sdlrenderer.h"
#include "gui.h"
#include "gui_automation.h"
#include "window_layout.h"
#include "gui_surface.h"
#include "menu_drawing.h"
#include "window.h"
#include "x_windows.h"

namespace kit {

Surface::~Surface() {
    forget_menu_geometry(window);
    if (GuiAutomation* automation = gui_automation()) automation->Gone(window);
    for (auto& [view, picture] : pictures)
        if (picture.texture) SDL_DestroyTexture(picture.texture);
    for (auto& [slot, canvas] : canvases)
        if (canvas.texture) SDL_DestroyTexture(canvas.texture);
    if (imgui) {
        ImGui::SetCurrentContext(imgui);
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(imgui);
    }
    if (renderer) SDL_DestroyRenderer(renderer);
    if (sdlWindow && destroyed) destroy_gone_x_window(sdlWindow);
    else if (sdlWindow) SDL_DestroyWindow(sdlWindow);
}

namespace {

Box box_of(const BRect& r) {
    return {static_cast<int>(r.left), static_cast<int>(r.top), r.IntegerWidth() + 1, r.IntegerHeight() + 1};
}

// The SDL window, its renderer and its ImGui context for `window`; null, with
// the reason on standard error and the window hidden, when one cannot open.
std::unique_ptr<Surface> open_surface(BWindow* window) {
    auto surface = std::make_unique<Surface>();
    surface->window = window;
    surface->preferredScale = window->PixelScale();
    surface->title = window->Title();
    BRect place = window->ScreenPlace();
    SDL_Rect usable;
    if (place.Width() >= 0 && SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        const Box screen{usable.x, usable.y, usable.w, usable.h};
        const BWindow* other = window->OpensBeside();
        const BRect there = other ? other->ScreenPlace() : BRect();
        const Box box = there.Width() >= 0
                            ? beside(box_of(there), screen, place.IntegerWidth() + 1, place.IntegerHeight() + 1)
                            : on_screen(box_of(place), screen);
        place = BRect(box.left, box.top, box.Right() - 1, box.Bottom() - 1);
    }
    const BRect frame = place.Width() >= 0 ? place : window->Frame();
    const int scale = place.Width() >= 0 ? 1 : surface->preferredScale;
    const int width = (frame.IntegerWidth() + 1) * scale;
    const int height = (frame.IntegerHeight() + 1) * scale;
    surface->windowed = {static_cast<int>(frame.left), static_cast<int>(frame.top), width, height};
    const Uint32 resizable = window->Flags() & B_NOT_RESIZABLE ? 0 : SDL_WINDOW_RESIZABLE;
    surface->sdlWindow = SDL_CreateWindow(surface->title.c_str(), static_cast<int>(frame.left),
                                          static_cast<int>(frame.top), width, height, SDL_WINDOW_SHOWN | resizable);
    if (!surface->sdlWindow) {
        std::fprintf(stderr, "cannot open the window \"%s\": %s\n", surface->title.c_str(), SDL_GetError());
        window->Hide();
        return nullptr;
    }
    surface->renderer =
        SDL_CreateRenderer(surface->sdlWindow, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!surface->renderer) surface->renderer = SDL_CreateRenderer(surface->sdlWindow, -1, SDL_RENDERER_SOFTWARE);
    if (!surface->renderer) {
        std::fprintf(stderr, "cannot draw in the window \"%s\": %s\n", surface->title.c_str(), SDL_GetError());
        window->Hide();
        return nullptr;
    }
    watch_x_windows(surface->sdlWindow);
    keep_screen_place(*surface);
    surface->imgui = ImGui::CreateContext();
    ImGui::SetCurrentContext(surface->imgui);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing is saved between runs
    io.LogFilename = nullptr;
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.DisplaySafeAreaPadding = ImVec2(0, 0);
    // Tighter than ImGui's default, so that the four menus fit a 256-pixel
    // window.
    style.ItemSpacing.x = 4.0f;
    style.WindowPadding.x = 4.0f;
    // The menu bar is kMenuBarHeight pixels: the 13-pixel font plus padding.
    style.FramePadding.y = (kMenuBarHeight - 13.0f) / 2;
    surface->style = style;  // scaled when drawn
    ImGui_ImplSDL2_InitForSDLRenderer(surface->sdlWindow);
    ImGui_ImplSDLRenderer_Init(surface->renderer);
    return surface;
}

}  // namespace

void keep_screen_place(Surface& surface) {
    if (surface.fullScreen) return;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(surface.sdlWindow, &x, &y);
    SDL_GetWindowSize(surface.sdlWindow, &w, &h);
    surface.window->PlacedOnScreen(BRect(x, y, x + w - 1, y + h - 1));
}

void Gui::SyncSurfaces(const std::vector<BWindow*>& windows) {
    for (auto it = fSurfaces.begin(); it != fSurfaces.end();) {
        const bool gone = std::find(windows.begin(), windows.end(), it->first) == windows.end();
        if (gone || it->first->IsQuitting()) it = fSurfaces.erase(it);
        else ++it;
    }
    for (BWindow* window : windows) {
        if (fSurfaces.count(window) || window->IsQuitting() || window->IsHidden()) continue;
        auto surface = open_surface(window);
        if (!surface) continue;
        fSurfaces[window] = std::move(surface);
        fDirty = true;
    }
    for (auto& [window, surface] : fSurfaces) {
        if (surface->destroyed) continue;  // X would never answer SDL's waits for it
        Apply(*surface);
        const bool hidden = window->IsHidden();
        if (hidden == surface->hidden) continue;
        surface->hidden = hidden;
        if (hidden) SDL_HideWindow(surface->sdlWindow);
        else SDL_ShowWindow(surface->sdlWindow);
    }
}

void Gui::Apply(Surface& surface) {
    BWindow* window = surface.window;
    const std::string title = window->Title();
    if (title != surface.title) {
        surface.title = title;
        SDL_SetWindowTitle(surface.sdlWindow, title.c_str());
    }
    float minWidth = 0, minHeight = 0;
    window->GetSizeLimits(&minWidth, nullptr, &minHeight, nullptr);
    const int width = static_cast<int>(minWidth) + 1, height = static_cast<int>(minHeight) + 1;
    if (!(window->Flags() & B_NOT_RESIZABLE) && (width != surface.minWidth || height != surface.minHeight)) {
        surface.minWidth = width;
        surface.minHeight = height;
        SDL_SetWindowMinimumSize(surface.sdlWindow, std::max(1, width), std::max(1, height));
    }
    const bool fullScreen = window->IsFullScreen();
    if (fullScreen == surface.fullScreen) return;
    if (fullScreen) {
        SDL_GetWindowPosition(surface.sdlWindow, &surface.windowed.x, &surface.windowed.y);
        SDL_GetWindowSize(surface.sdlWindow, &surface.windowed.w, &surface.windowed.h);
        // A window system that refuses stays windowed; it is not asked again
        // until the window asks again.
        SDL_SetWindowFullscreen(surface.sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(surface.sdlWindow, 0);
        // Not every window system restores the size by itself.
        SDL_SetWindowSize(surface.sdlWindow, surface.windowed.w, surface.windowed.h);
        SDL_SetWindowPosition(surface.sdlWindow, surface.windowed.x, surface.windowed.y);
    }
    surface.fullScreen = fullScreen;
    fDirty = true;
}

Surface* Gui::SurfaceOf(BWindow* window) {
    const auto found = fSurfaces.find(window);
    return found == fSurfaces.end() ? nullptr : found->second.get();
}

Surface* Gui::SurfaceForWindowId(unsigned id) {
    for (auto& [window, surface] : fSurfaces)
        if (SDL_GetWindowID(surface->sdlWindow) == id) return surface.get();
    return nullptr;
}

}  // namespace kit
