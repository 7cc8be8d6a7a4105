// Inside the kit: what the event loop keeps for each shown window: its SDL
// window, renderer and Dear ImGui context, and what they were last given.
// Main thread only.
#pragma once

#include <SDL.h>
#include <imgui.h>

#include <map>
#include <string>
#include <vector>

#include "view.h"

class BWindow;

namespace kit {

constexpr float kMenuBarHeight = 18.0f;  // window pixels, above the views

struct Surface {
    BWindow* window = nullptr;
    SDL_Window* sdlWindow = nullptr;
    SDL_Renderer* renderer = nullptr;
    ImGuiContext* imgui = nullptr;
    ImGuiStyle style;        // at scale 1
    int preferredScale = 1;  // the window's pixel scale
    int uiScale = 0;         // what menus and alerts are drawn at now (0: not yet)
    bool hidden = false;
    bool destroyed = false;  // another client destroyed its X window: nothing is drawn there any more
    bool closeMenus = false;  // Escape was pressed: close the open menus at the next draw
    // Where the pointer is in the window, from the last mouse event. ImGui's
    // SDL backend asks X for the global position, which SDL caches and only
    // refreshes on XInput2 raw motion; input that comes without raw events
    // (XTEST, some remote displays) would leave menus blind to the pointer.
    bool pointerInside = false;
    ImVec2 pointer;
    // What the SDL window was last given.
    std::string title;
    bool fullScreen = false;
    int minWidth = 0, minHeight = 0;
    SDL_Rect windowed{};  // the place and size to go back to from full screen
    struct Picture {
        DrawnPicture drawn;
        SDL_Texture* texture = nullptr;
    };
    std::map<BView*, Picture> pictures;
    // The textures immediate views asked for, by slot.
    struct Canvas {
        SDL_Texture* texture = nullptr;
        int width = 0, height = 0;
    };
    std::map<int, Canvas> canvases;
    // A window with immediate views is redrawn at most every
    // kImmediateInterval unless an input came to it: its views redraw
    // everything each time, and the picture of the main window must not
    // wait for them.
    long long nextRenderAt = 0;  // microseconds
    bool touched = false;        // an input came since the last draw
    // ImGui (before its input queue) keeps only the last state of each key
    // and button per frame and takes a click where the pointer is at the
    // frame: a key pressed and released between two draws would never be
    // seen down, and a click followed by a move, another click or typing
    // before the next draw would land in the wrong place or merge with it
    // (quick input, or input from a program). Such events wait for the
    // next draw, in order.
    std::vector<int> pressedSinceDraw;  // scancodes
    bool clickedSinceDraw = false;      // a mouse button went down or up
    std::vector<SDL_Event> held;

    ~Surface();
};

// Hands an input event to the surface's ImGui, or holds it for the next
// draw (see `held`); after a draw, drawn() hands on what was held.
void feed_imgui(Surface& surface, const SDL_Event& event);
// Tells the window where its SDL window stands now (BWindow::ScreenPlace).
void keep_screen_place(Surface& surface);
void drawn(Surface& surface);

}  // namespace kit
