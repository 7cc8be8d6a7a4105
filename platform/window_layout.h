// Where a window's parts go at any size: how large its menus are drawn, and
// where a view's picture is placed when it is scaled to fill the view. Pure
// geometry in screen pixels, with no windowing.
#pragma once

#include <vector>

#include "support_defs.h"

// How a view shows the bitmap drawn into it.
enum picture_scaling {
    B_PICTURE_UNSCALED = 0,  // at the view's origin, one bitmap pixel a window pixel
    B_PICTURE_INTEGER,       // the largest whole multiple that fits, centred (aspect kept)
    B_PICTURE_ASPECT,        // as large as fits with its aspect kept, centred
};

namespace kit {

struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool operator==(const Box&) const = default;
};

// The scale of a window's own drawing (menus, alerts, unscaled views) for a
// window of `width` x `height` screen pixels whose frame is `frameWidth` x
// `frameHeight` pixels at scale 1: `preferred` (the scale the window was
// opened at), or the largest smaller whole scale at which the frame fits, and
// never below 1.
int ui_scale(int width, int height, int frameWidth, int frameHeight, int preferred);

// The whole scale at which text drawn for 96 dots an inch reads as meant on
// a screen of `dpi` (0 or less: unknown): 1 below 144, 2 from 144 (the
// nearest whole scale, halves rounded up), 3 from 240 and so on.
int density_scale(float dpi);

// Where a window of `width` x `height` (shrunk to the screen when larger)
// opens beside the window `main` on `screen`: top level with it, to its
// right when it fits there, else to its left, else on the side with more
// room, covering as little of `main` as it can.
Box beside(const Box& main, const Box& screen, int width, int height);

// `box` moved (and shrunk when larger) so that it lies on `screen`: a place
// kept from a larger screen or another monitor.
Box on_screen(const Box& box, const Box& screen);

// The area of a view that follows its window's edges (B_FOLLOW_ALL_SIDES):
// its frame at scale 1 is `view` inside a window frame of `frameWidth` x
// `frameHeight`; at `scale`, in a window of `width` x `height`, its left and
// top edges keep their scaled places and its right and bottom edges keep
// their scaled distances to the window's edges.
Box follow_all_sides(const BRect& view, int frameWidth, int frameHeight, int width, int height, int scale);

// Where a picture of `pictureWidth` x `pictureHeight` pixels shows inside
// `area` when scaled as `scaling` says (not B_PICTURE_UNSCALED). An area too
// small for a whole multiple shows it scaled down with its aspect kept.
Box fit_picture(const Box& area, int pictureWidth, int pictureHeight, picture_scaling scaling);

// A layer of drawing: its area, and whether it hides what lies behind it.
struct Layer {
    Box area;
    bool opaque = false;
};

// Which of `layers`, listed back to front, cannot be seen: each that lies
// wholly inside an opaque layer listed after it.
std::vector<bool> hidden_layers(const std::vector<Layer>& layers);

}  // namespace kit
