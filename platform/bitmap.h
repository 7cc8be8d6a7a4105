// Offscreen bitmaps whose pixel memory the program writes directly.
#pragma once

#include <vector>

#include "support_defs.h"

enum color_space : uint32 {
    B_NO_COLOR_SPACE = 0,
    // 16 bits a pixel in host order: red in bits 14-10, green 9-5, blue 4-0.
    B_RGB15 = 0x0010,
};

class BBitmap {
public:
    // Bounds count both edges: (0, 0, 256, 224) is 257 by 225 pixels. Rows
    // are padded to a multiple of four bytes. The pixels start black. Only
    // B_RGB15 is supported; other spaces leave the bitmap without memory.
    BBitmap(BRect bounds, color_space space, bool acceptsViews = false,
            bool needsContiguousMemory = false);
    BBitmap(const BBitmap&) = delete;
    BBitmap& operator=(const BBitmap&) = delete;

    status_t InitCheck() const { return fBits.empty() ? B_BAD_VALUE : B_OK; }
    void* Bits() const { return fBits.empty() ? nullptr : const_cast<uint8*>(fBits.data()); }
    int32 BitsLength() const { return static_cast<int32>(fBits.size()); }
    int32 BytesPerRow() const { return fBytesPerRow; }
    BRect Bounds() const { return fBounds; }
    color_space ColorSpace() const { return fSpace; }
    int32 Width() const { return fWidth; }    // in pixels
    int32 Height() const { return fHeight; }  // in rows

private:
    BRect fBounds;
    color_space fSpace;
    int32 fWidth = 0;
    int32 fHeight = 0;
    int32 fBytesPerRow = 0;
    std::vector<uint8> fBits;
};
