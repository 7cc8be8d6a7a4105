#include "presentation.h"

#include <cstring>

#include "machine.h"

BView* mView = nullptr;
BBitmap* mOffscreen = nullptr;
uint16_t* mBits = nullptr;
int32_t mBytesPerRow = 0;
BScreen* screen = nullptr;

namespace {
constexpr size_t kPictureBytes = kScreenWidth * kScreenHeight * 2;  // 114688
}

void createPresentationSurface(BWindow* window) {
    // Exactly the picture: 256 x 224 (the rectangles count both edges).
    mView = new BView(BRect(0, 0, kScreenWidth - 1, kScreenHeight - 1), nullptr, B_FOLLOW_ALL_SIDES, 0);
    window->AddChild(mView);
    mView->MoveBy(0, 18);
    mView->SetViewColor(0, 0, 0, 255);
    mView->SetPictureScaling(B_PICTURE_INTEGER);
    mOffscreen = new BBitmap(BRect(0, 0, kScreenWidth - 1, kScreenHeight - 1), B_RGB15, false, false);
    mBits = static_cast<uint16_t*>(mOffscreen->Bits());
    mBytesPerRow = mOffscreen->BytesPerRow();
    screen = new BScreen(window);
    startupClear();
}

void startupClear() {
    const uint8_t black = screen->IndexForColor(0, 0, 0, 255);
    std::memset(mBits, black, kPictureBytes);
}

void pictureAreaClear() {
    const int32_t stride = mBytesPerRow / 2;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) mBits[y * stride + x] = 0;
}

void copyFrame(const uint16_t* frame) {
    const int32_t stride = mBytesPerRow / 2;
    for (int y = 0; y < kScreenHeight; ++y)
        std::memcpy(mBits + y * stride, frame + y * kScreenWidth, kScreenWidth * sizeof(uint16_t));
}
