// Views: rectangles of a window that show what was drawn into them.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "bitmap.h"
#include "support_defs.h"
#include "window_layout.h"

class BWindow;

// Resizing modes: which window edges a view's edges follow.
constexpr uint32 B_FOLLOW_NONE = 0;
constexpr uint32 B_FOLLOW_LEFT = 0x0202;
constexpr uint32 B_FOLLOW_RIGHT = 0x0404;
constexpr uint32 B_FOLLOW_LEFT_RIGHT = 0x0204;
constexpr uint32 B_FOLLOW_TOP = 0x1010;
constexpr uint32 B_FOLLOW_BOTTOM = 0x3030;
constexpr uint32 B_FOLLOW_TOP_BOTTOM = 0x1030;
constexpr uint32 B_FOLLOW_ALL_SIDES = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP_BOTTOM;

// The pixels a view shows: the last bitmap drawn into it, as drawn.
struct DrawnPicture {
    int32 width = 0, height = 0, bytesPerRow = 0;
    BPoint where;
    std::vector<uint8> pixels;  // B_RGB15 rows of bytesPerRow bytes
    uint64_t serial = 0;        // grows with every draw; 0: nothing drawn yet
};

class BView {
public:
    BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
    virtual ~BView();
    BView(const BView&) = delete;
    BView& operator=(const BView&) = delete;

    BRect Frame() const;
    void MoveBy(float dx, float dy);
    void MoveTo(float x, float y);
    void SetViewColor(rgb_color color);
    void SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255) {
        SetViewColor(rgb_color{red, green, blue, alpha});
    }
    rgb_color ViewColor() const;
    uint32 ResizingMode() const { return fResizingMode; }
    const char* Name() const { return fName.c_str(); }

    // How the bitmap drawn into the view is shown (B_PICTURE_UNSCALED by
    // default). A scaled picture fills what it can of the view's area,
    // ignoring where it was drawn, with the view's colour around it.
    void SetPictureScaling(picture_scaling scaling);
    picture_scaling PictureScaling() const;
    BWindow* Window() const { return fWindow; }

    // Draws a B_RGB15 bitmap with its top-left pixel at the view's origin (or
    // at `where`). The window shows it at its next refresh.
    void DrawBitmap(const BBitmap* bitmap) { DrawBitmap(bitmap, BPoint(0, 0)); }
    void DrawBitmap(const BBitmap* bitmap, BPoint where);

    // Copies what was drawn last into `picture` when it changed since
    // picture.serial; returns whether it copied.
    bool CopyDrawnPicture(DrawnPicture& picture) const;

private:
    friend class BWindow;
    std::string fName;
    uint32 fResizingMode;
    BWindow* fWindow = nullptr;

    mutable std::mutex fLock;  // guards what follows; never held for long
    BRect fFrame;
    rgb_color fViewColor{255, 255, 255, 255};
    picture_scaling fScaling = B_PICTURE_UNSCALED;
    DrawnPicture fDrawn;
};
