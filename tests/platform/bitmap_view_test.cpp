// Bitmaps, views and the screen's colour index.
#include <gtest/gtest.h>

#include <cstring>

#include "bitmap.h"
#include "screen.h"
#include "view.h"

TEST(Bitmap, BoundsCountBothEdgesAndRowsArePaddedToFourBytes) {
    BBitmap bitmap(BRect(0, 0, 256, 224), B_RGB15);
    ASSERT_EQ(bitmap.InitCheck(), B_OK);
    EXPECT_EQ(bitmap.Width(), 257);
    EXPECT_EQ(bitmap.Height(), 225);
    EXPECT_EQ(bitmap.BytesPerRow(), 516);  // 257 * 2 = 514, padded
    EXPECT_EQ(bitmap.BitsLength(), 516 * 225);
    EXPECT_EQ(bitmap.ColorSpace(), B_RGB15);
    const auto* bytes = static_cast<const uint8*>(bitmap.Bits());
    for (int32 i = 0; i < bitmap.BitsLength(); ++i) ASSERT_EQ(bytes[i], 0) << i;

    BBitmap even(BRect(0, 0, 255, 0), B_RGB15);
    EXPECT_EQ(even.BytesPerRow(), 512);
}

TEST(Bitmap, UnsupportedSpacesAndEmptyBoundsHaveNoMemory) {
    BBitmap other(BRect(0, 0, 10, 10), static_cast<color_space>(0x0008));
    EXPECT_NE(other.InitCheck(), B_OK);
    EXPECT_EQ(other.Bits(), nullptr);
    BBitmap empty(BRect(0, 0, -1, -1), B_RGB15);
    EXPECT_NE(empty.InitCheck(), B_OK);
}

TEST(View, DrawBitmapKeepsACopyOfWhatWasDrawn) {
    BView view(BRect(0, 0, 256, 224), nullptr, B_FOLLOW_ALL_SIDES, 0);
    view.MoveBy(0, 18);
    EXPECT_EQ(view.Frame().top, 18);
    EXPECT_EQ(view.Frame().bottom, 242);
    view.SetViewColor(0, 0, 0, 255);
    EXPECT_EQ(view.ViewColor().red, 0);
    EXPECT_EQ(view.ViewColor().alpha, 255);

    DrawnPicture picture;
    EXPECT_FALSE(view.CopyDrawnPicture(picture));  // nothing drawn yet

    BBitmap bitmap(BRect(0, 0, 256, 224), B_RGB15);
    auto* pixels = static_cast<uint16_t*>(bitmap.Bits());
    pixels[0] = 0x7C00;
    pixels[258 * 223 + 255] = 0x7FFF;
    view.DrawBitmap(&bitmap);
    pixels[0] = 0x1234;  // later changes are not shown until drawn again
    ASSERT_TRUE(view.CopyDrawnPicture(picture));
    EXPECT_EQ(picture.width, 257);
    EXPECT_EQ(picture.bytesPerRow, 516);
    uint16_t first, last;
    std::memcpy(&first, picture.pixels.data(), 2);
    std::memcpy(&last, picture.pixels.data() + 516 * 223 + 255 * 2, 2);
    EXPECT_EQ(first, 0x7C00);
    EXPECT_EQ(last, 0x7FFF);
    EXPECT_FALSE(view.CopyDrawnPicture(picture));  // unchanged since
    view.DrawBitmap(&bitmap);
    EXPECT_TRUE(view.CopyDrawnPicture(picture));
}

TEST(Screen, BlackIsIndexZero) {
    BScreen screen(nullptr);
    EXPECT_EQ(screen.IndexForColor(0, 0, 0, 255), 0);
    EXPECT_EQ(screen.IndexForColor(rgb_color{0, 0, 0, 0}), 0);
    EXPECT_EQ(screen.IndexForColor(255, 255, 255), 255);
    EXPECT_NE(screen.IndexForColor(255, 0, 0), screen.IndexForColor(0, 0, 255));
}
