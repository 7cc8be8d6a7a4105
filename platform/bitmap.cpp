#include "bitmap.h"

#include <cstddef>

BBitmap::BBitmap(BRect bounds, color_space space, bool, bool) : fBounds(bounds), fSpace(space) {
    const int32 width = bounds.IntegerWidth() + 1;
    const int32 height = bounds.IntegerHeight() + 1;
    if (space != B_RGB15 || width <= 0 || height <= 0 || width > 16384 || height > 16384) return;
    fWidth = width;
    fHeight = height;
    fBytesPerRow = (width * 2 + 3) & ~3;
    fBits.assign(static_cast<std::size_t>(fBytesPerRow) * height, 0);
}
