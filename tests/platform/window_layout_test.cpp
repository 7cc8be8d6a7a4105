// A window's layout at every size, as pure geometry: the scale of its menus,
// the area of a view that follows the window's edges, and the picture in it,
// in whole multiples (8:7 kept, black borders) or as large as fits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "window_layout.h"

namespace {

using kit::Box;

constexpr int kFrameWidth = 256, kFrameHeight = 242;  // a menu bar of 18 over a 256 x 224 picture
constexpr int kPictureWidth = 256, kPictureHeight = 224;
const BRect kPictureView(0, 18, 255, 241);

std::string describe(const Box& b) {
    std::ostringstream out;
    out << b.left << "," << b.top << " " << b.width << "x" << b.height;
    return out.str();
}

bool inside(const Box& inner, const Box& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.Right() <= outer.Right() &&
           inner.Bottom() <= outer.Bottom();
}

// Centred: the margins on opposite sides differ by at most a pixel.
bool centred(const Box& inner, const Box& outer) {
    return std::abs((inner.left - outer.left) - (outer.Right() - inner.Right())) <= 1 &&
           std::abs((inner.top - outer.top) - (outer.Bottom() - inner.Bottom())) <= 1;
}

TEST(WindowLayout, MenusKeepTheOpeningScaleUntilTheWindowIsTooSmallForIt) {
    EXPECT_EQ(kit::ui_scale(256, 242, kFrameWidth, kFrameHeight, 1), 1);
    EXPECT_EQ(kit::ui_scale(768, 726, kFrameWidth, kFrameHeight, 3), 3);
    EXPECT_EQ(kit::ui_scale(3840, 2160, kFrameWidth, kFrameHeight, 1), 1) << "a larger window keeps small menus";
    EXPECT_EQ(kit::ui_scale(3840, 2160, kFrameWidth, kFrameHeight, 8), 8);
    EXPECT_EQ(kit::ui_scale(767, 726, kFrameWidth, kFrameHeight, 3), 2) << "one pixel too narrow for 3";
    EXPECT_EQ(kit::ui_scale(768, 725, kFrameWidth, kFrameHeight, 3), 2) << "one pixel too low for 3";
    EXPECT_EQ(kit::ui_scale(256, 242, kFrameWidth, kFrameHeight, 8), 1);
    EXPECT_EQ(kit::ui_scale(100, 100, kFrameWidth, kFrameHeight, 2), 1) << "never below 1";
    EXPECT_EQ(kit::ui_scale(500, 500, 0, 0, 2), 2) << "no frame: the opening scale";
}

TEST(WindowLayout, AViewThatFollowsTheEdgesFillsTheWindowBelowTheMenuBar) {
    EXPECT_EQ(kit::follow_all_sides(kPictureView, kFrameWidth, kFrameHeight, 256, 242, 1), (Box{0, 18, 256, 224}));
    EXPECT_EQ(kit::follow_all_sides(kPictureView, kFrameWidth, kFrameHeight, 1024, 768, 1), (Box{0, 18, 1024, 750}));
    EXPECT_EQ(kit::follow_all_sides(kPictureView, kFrameWidth, kFrameHeight, 1024, 768, 2), (Box{0, 36, 1024, 732}));
    // Edges short of the window's keep their distances, scaled.
    const BRect inset(10, 20, 245, 231);  // 10 from the right edge and the bottom at scale 1
    EXPECT_EQ(kit::follow_all_sides(inset, kFrameWidth, kFrameHeight, 600, 500, 2), (Box{20, 40, 560, 440}));
    EXPECT_EQ(kit::follow_all_sides(inset, kFrameWidth, kFrameHeight, 30, 30, 2).width, 0) << "never negative";
}

// Every window size from the smallest to 1280 x 1024 (and full screens of
// common sizes): the picture is a whole multiple of 256 x 224, the largest
// that fits below the menu bar, centred, inside the window.
TEST(WindowLayout, IntegerScalingAtEverySize) {
    std::vector<std::pair<int, int>> sizes;
    for (int w = kFrameWidth; w <= 1280; ++w)
        for (int h = kFrameHeight; h <= 1024; h += (w % 7) + 1) sizes.emplace_back(w, h);
    for (auto screen : {std::pair{1024, 768}, {1280, 720}, {1366, 768}, {1920, 1080}, {2560, 1440}, {3840, 2160}})
        sizes.push_back(screen);
    int checked = 0;
    for (const auto& [width, height] : sizes) {
        const int ui = kit::ui_scale(width, height, kFrameWidth, kFrameHeight, 1);
        const Box area = kit::follow_all_sides(kPictureView, kFrameWidth, kFrameHeight, width, height, ui);
        const Box picture = kit::fit_picture(area, kPictureWidth, kPictureHeight, B_PICTURE_INTEGER);
        const int multiple = picture.width / kPictureWidth;
        ASSERT_GE(multiple, 1) << width << "x" << height;
        ASSERT_EQ(picture.width, kPictureWidth * multiple) << width << "x" << height << ": " << describe(picture);
        ASSERT_EQ(picture.height, kPictureHeight * multiple) << width << "x" << height << ": " << describe(picture);
        ASSERT_TRUE(inside(picture, area)) << width << "x" << height << ": " << describe(picture);
        ASSERT_TRUE(centred(picture, area)) << width << "x" << height << ": " << describe(picture);
        const bool largerFits = kPictureWidth * (multiple + 1) <= area.width &&
                                kPictureHeight * (multiple + 1) <= area.height;
        ASSERT_FALSE(largerFits) << width << "x" << height << ": " << describe(picture);
        ++checked;
    }
    EXPECT_GT(checked, 100000);
}

TEST(WindowLayout, AtEveryOpeningScaleThePictureFillsTheWindowExactly) {
    for (int scale = 1; scale <= 8; ++scale) {
        const int width = kFrameWidth * scale, height = kFrameHeight * scale;
        const int ui = kit::ui_scale(width, height, kFrameWidth, kFrameHeight, scale);
        EXPECT_EQ(ui, scale);
        const Box area = kit::follow_all_sides(kPictureView, kFrameWidth, kFrameHeight, width, height, ui);
        EXPECT_EQ(area, (Box{0, 18 * scale, width, height - 18 * scale})) << scale;
        EXPECT_EQ(kit::fit_picture(area, kPictureWidth, kPictureHeight, B_PICTURE_INTEGER), area)
            << "no spare row or column at scale " << scale;
    }
}

TEST(WindowLayout, FittingKeepsTheAspectAndTouchesTwoSides) {
    for (int width = 64; width <= 1400; width += 13) {
        for (int height = 64; height <= 1200; height += 11) {
            const Box area{0, 18, width, height};
            const Box picture = kit::fit_picture(area, kPictureWidth, kPictureHeight, B_PICTURE_ASPECT);
            ASSERT_TRUE(inside(picture, area)) << describe(area) << ": " << describe(picture);
            ASSERT_TRUE(centred(picture, area)) << describe(area) << ": " << describe(picture);
            ASSERT_TRUE(picture.width == area.width || picture.height == area.height)
                << describe(area) << ": " << describe(picture);
            // 8:7 within the rounding of one pixel.
            ASSERT_LE(std::abs(picture.width * kPictureHeight - picture.height * kPictureWidth), kPictureWidth)
                << describe(area) << ": " << describe(picture);
        }
    }
}

TEST(WindowLayout, AnAreaTooSmallForOneWholeMultipleShrinksThePictureWithItsAspect) {
    const Box area{5, 5, 128, 200};
    EXPECT_EQ(kit::fit_picture(area, kPictureWidth, kPictureHeight, B_PICTURE_INTEGER), (Box{5, 49, 128, 112}));
    EXPECT_EQ(kit::fit_picture(Box{0, 0, 0, 10}, kPictureWidth, kPictureHeight, B_PICTURE_INTEGER).width, 0);
    EXPECT_EQ(kit::fit_picture(area, 0, 0, B_PICTURE_ASPECT).width, 0);
}

}  // namespace
