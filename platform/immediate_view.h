// Views that draw themselves with Dear ImGui, on the event loop's thread,
// every time their window is drawn: tools whose content changes with the
// pointer (panels, lists, editors). Only the view's own code includes ImGui;
// the rest of the program sees a BView.
#pragma once

#include <cstdint>

#include "view.h"

// What the loop lends a view while it draws: pictures as textures the
// renderer can show (ImGui's texture identifiers).
class ImmediateCanvas {
public:
    virtual ~ImmediateCanvas() = default;
    // A texture of `width` x `height` B_RGB15 pixels (rows with no gap),
    // kept under `slot` between draws and refilled from `pixels` each call;
    // null when none can be made.
    virtual void* Texture(int slot, int width, int height, const uint16_t* pixels) = 0;
};

class BImmediateView : public BView {
public:
    using BView::BView;
    // Draws the view's content into the window's ImGui frame; `width` and
    // `height` are the window's drawing size in pixels.
    virtual void DrawImmediate(ImmediateCanvas& canvas, int width, int height) = 0;
};
