#include "view.h"

#include <cstring>

#include "gui_wake.h"

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32)
    : fName(name ? name : ""), fResizingMode(resizingMode), fFrame(frame) {}

BView::~BView() = default;

BRect BView::Frame() const {
    std::lock_guard held(fLock);
    return fFrame;
}

void BView::MoveBy(float dx, float dy) {
    {
        std::lock_guard held(fLock);
        fFrame.OffsetBy(dx, dy);
    }
    kit::wake_gui();
}

void BView::MoveTo(float x, float y) {
    {
        std::lock_guard held(fLock);
        fFrame.OffsetBy(x - fFrame.left, y - fFrame.top);
    }
    kit::wake_gui();
}

void BView::SetViewColor(rgb_color color) {
    {
        std::lock_guard held(fLock);
        fViewColor = color;
    }
    kit::wake_gui();
}

rgb_color BView::ViewColor() const {
    std::lock_guard held(fLock);
    return fViewColor;
}

void BView::SetPictureScaling(picture_scaling scaling) {
    {
        std::lock_guard held(fLock);
        fScaling = scaling;
    }
    kit::wake_gui();
}

picture_scaling BView::PictureScaling() const {
    std::lock_guard held(fLock);
    return fScaling;
}

void BView::DrawBitmap(const BBitmap* bitmap, BPoint where) {
    if (!bitmap || bitmap->InitCheck() != B_OK) return;
    {
        std::lock_guard held(fLock);
        fDrawn.width = bitmap->Width();
        fDrawn.height = bitmap->Height();
        fDrawn.bytesPerRow = bitmap->BytesPerRow();
        fDrawn.where = where;
        fDrawn.pixels.resize(static_cast<size_t>(bitmap->BitsLength()));
        std::memcpy(fDrawn.pixels.data(), bitmap->Bits(), fDrawn.pixels.size());
        ++fDrawn.serial;
    }
    kit::wake_gui();
}

bool BView::CopyDrawnPicture(DrawnPicture& picture) const {
    std::lock_guard held(fLock);
    if (picture.serial == fDrawn.serial) return false;
    picture = fDrawn;
    return true;
}
