// A window's layout at every size: the scale of its menus, the area of a view
// that follows the window's edges and the picture in it (whole multiples of
// 256 x 224, or as large as fits), first as pure geometry, then as a window
// of the running event loop shows it, resized and full screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "kit_test_app.h"
#include "screen.h"

namespace {

using kit::Box;

constexpr int kFrameWidth = 256, kFrameHeight = 242;  // a menu bar of 18 over a 256 x 224 picture
const BRect kPictureView(0, 18, 255, 241);

// Why `p` is no fit in `area`, or nothing: inside it, centred to a pixel,
// and a whole multiple of 256 x 224, the largest that fits (`whole`), or
// touching two sides with the aspect kept to a pixel.
std::string misfit(const Box& p, const Box& area, bool whole) {
    const int multiple = p.width / 256;
    const bool inside = p.left >= area.left && p.top >= area.top && p.Right() <= area.Right() &&
                        p.Bottom() <= area.Bottom();
    const bool centred = std::abs((p.left - area.left) - (area.Right() - p.Right())) <= 1 &&
                         std::abs((p.top - area.top) - (area.Bottom() - p.Bottom())) <= 1;
    const bool fits = whole ? multiple >= 1 && p.width == 256 * multiple && p.height == 224 * multiple &&
                                  (256 * (multiple + 1) > area.width || 224 * (multiple + 1) > area.height)
                            : (p.width == area.width || p.height == area.height) &&
                                  std::abs(p.width * 224 - p.height * 256) <= 256;
    const auto text = [](const Box& b) {
        return std::to_string(b.left) + "," + std::to_string(b.top) + " " + std::to_string(b.width) + "x" +
               std::to_string(b.height);
    };
    return inside && centred && fits ? "" : text(p) + " in " + text(area);
}

}  // namespace

// A window opens beside another where the screen holds it there.
TEST(WindowLayout, BesideAnotherWindowWhenTheScreenAllows) {
    const Box screen{0, 0, 1920, 1080}, main{100, 50, 512, 448};
    const struct {
        Box main, screen;
        int width, height;
        Box place;
    } rows[] = {
        {main, screen, 980, 700, {620, 50, 980, 700}},                    // to its right
        {{1300, 50, 512, 448}, screen, 980, 700, {312, 50, 980, 700}},   // to its left
        {main, {0, 0, 1024, 768}, 980, 700, {44, 50, 980, 700}},         // neither: more room on the right
        {{700, 50, 256, 224}, {0, 0, 1024, 768}, 980, 700, {0, 50, 980, 700}},  // more room on the left
        {main, {0, 0, 1024, 768}, 1960, 1400, {0, 0, 1024, 768}},        // larger than the screen
        {{100, 900, 256, 224}, screen, 980, 700, {364, 380, 980, 700}},  // kept on the screen
    };
    for (const auto& r : rows)
        EXPECT_EQ(kit::beside(r.main, r.screen, r.width, r.height), r.place)
            << r.main.left << "," << r.main.top << " on " << r.screen.width << "x" << r.screen.height;
}


// A place kept from a larger screen is moved onto this one.
TEST(WindowLayout, APlaceKeptElsewhereComesOntoTheScreen) {
    const Box screen{0, 0, 1024, 768};
    const std::pair<Box, Box> rows[] = {
        {{100, 50, 980, 700}, {44, 50, 980, 700}},
        {{2000, 1200, 980, 700}, {44, 68, 980, 700}},
        {{-500, -20, 400, 300}, {0, 0, 400, 300}},
        {{10, 10, 1960, 1400}, {0, 0, 1024, 768}},
        {{10, 10, 400, 300}, {10, 10, 400, 300}},
    };
    for (const auto& [kept, placed] : rows) EXPECT_EQ(kit::on_screen(kept, screen), placed) << kept.left << "," << kept.top;
}

// Every window size from the smallest to 1280 x 1024 and common screens;
// areas for a picture kept at its aspect; each opening scale.
TEST(WindowLayout, ThePictureFitsAtEverySize) {
    std::vector<std::pair<int, int>> sizes{{1024, 768}, {1366, 768}, {1920, 1080}, {2560, 1440}, {3840, 2160}};
    for (int w = kFrameWidth; w <= 1280; ++w)
        for (int h = kFrameHeight; h <= 1024; h += (w % 7) + 1) sizes.emplace_back(w, h);
    for (const auto& [width, height] : sizes) {
        const int ui = kit::ui_scale(width, height, kFrameWidth, kFrameHeight, 1);
        const Box area = kit::follow_all_sides(kPictureView, kFrameWidth, kFrameHeight, width, height, ui);
        ASSERT_EQ(misfit(kit::fit_picture(area, 256, 224, B_PICTURE_INTEGER), area, true), "");
    }
    for (int width = 64; width <= 1400; width += 13)
        for (int height = 64; height <= 1200; height += 11) {
            const Box area{0, 0, width, height};
            ASSERT_EQ(misfit(kit::fit_picture(area, 256, 224, B_PICTURE_ASPECT), area, false), "");
        }
    for (int scale = 1; scale <= 8; ++scale) {  // no spare row or column
        const Box area{0, 18 * scale, 256 * scale, 224 * scale};
        EXPECT_EQ(kit::follow_all_sides(kPictureView, kFrameWidth, kFrameHeight, 256 * scale, 242 * scale, scale),
                  area);
        EXPECT_EQ(kit::fit_picture(area, 256, 224, B_PICTURE_INTEGER), area) << scale;
    }
    // Too small for one whole multiple: shrunk with its aspect; nothing in nothing.
    EXPECT_EQ(kit::fit_picture({5, 5, 128, 200}, 256, 224, B_PICTURE_INTEGER), (Box{5, 49, 128, 112}));
    EXPECT_EQ(kit::fit_picture({0, 0, 0, 10}, 256, 224, B_PICTURE_INTEGER).width, 0);
    EXPECT_EQ(kit::fit_picture({0, 0, 10, 10}, 0, 0, B_PICTURE_ASPECT).width, 0);
    // Bitmap rows are padded to four bytes; unsupported spaces and empty bounds have no memory.
    EXPECT_EQ(BBitmap(BRect(0, 0, 254, 0), B_RGB15).BytesPerRow(), 512);
    EXPECT_EQ(BBitmap(BRect(0, 0, 10, 10), static_cast<color_space>(8)).Bits(), nullptr);
    EXPECT_NE(BBitmap(BRect(0, 0, -1, -1), B_RGB15).InitCheck(), B_OK);
    const BScreen screen(nullptr);  // its colour index: black is 0, white 255
    EXPECT_EQ(std::pair(screen.IndexForColor(rgb_color{0, 0, 0, 255}), screen.IndexForColor(255, 255, 255)),
              (std::pair<uint8, uint8>(0, 255)));
}

// Opened at scale 2, resized (never below its frame) and full screen: the
// window shows the grey picture drawn, a coloured pixel in each corner, where
// the geometry says, each corner a multiple x multiple square, black around it.
TEST(WindowLayout, TheWindowShowsThePictureAtEverySizeAndFullScreen) {
    using App = kit_test::DrivenApp<kit_test::MenuWindow>;
    App app([](App& self) {
        kit_test::MenuWindow* window = self.window;
        BBitmap bitmap(BRect(0, 0, 255, 223), B_RGB15);
        auto* pixels = static_cast<uint16_t*>(bitmap.Bits());
        std::fill(pixels, pixels + 256 * 224, 0x4210);
        // Red, green, blue; white (bit 15 means nothing).
        pixels[0] = 0x7C00, pixels[255] = 0x03E0, pixels[223 * 256] = 0x001F, pixels[223 * 256 + 255] = 0xFFFF;
        window->view->DrawBitmap(&bitmap, BPoint(1, 2));  // unscaled: one pixel of it a pixel of the window
        kit::WindowCapture unscaled;
        ASSERT_TRUE(kit::capture_window(window, unscaled));
        EXPECT_EQ(std::pair(kit_test::at(unscaled, 3, 41), kit_test::at(unscaled, 1, 39)), std::pair(0xFF0000u, 0u));
        window->view->SetPictureScaling(B_PICTURE_INTEGER);
        window->view->DrawBitmap(&bitmap);
        pixels[0] = 0x001F;  // after the draw: not shown
        const auto shows = [&](int width, int height) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            kit::WindowCapture c;
            ASSERT_TRUE(kit::capture_window(window, c));
            const kit::WindowGeometry g = kit::window_geometry(window);
            ASSERT_EQ(std::tuple(c.width, c.height, g.views.size()), std::tuple(width, height, size_t(1)));
            const Box area = g.views[0].area, p = g.views[0].picture;
            EXPECT_EQ(area, (Box{0, 18 * g.uiScale, width, height - 18 * g.uiScale}));
            EXPECT_EQ(misfit(p, area, true), "");
            for (int d = 0; d < p.width / 256; ++d)
                ASSERT_EQ((std::vector{kit_test::at(c, p.left + d, p.top + d), kit_test::at(c, p.Right() - 1 - d, p.top + d),
                                       kit_test::at(c, p.left + d, p.Bottom() - 1 - d),
                                       kit_test::at(c, p.Right() - 1 - d, p.Bottom() - 1 - d)}),
                          (std::vector{0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFFFFu}));
            const uint32_t grey = kit_test::at(c, p.left + p.width / 2, p.top + p.height / 2);  // 5 bits widened
            EXPECT_TRUE(grey % 0x010101 == 0 && grey >> 16 >= 0x80 && grey >> 16 <= 0x87) << std::hex << grey;
            if (p.left > 0) EXPECT_EQ(kit_test::at(c, p.left - 1, p.top + p.height / 2), 0u);
            if (p.top > area.top) EXPECT_EQ(kit_test::at(c, p.left + p.width / 2, p.top - 1), 0u);
        };
        shows(512, 484);
        for (const auto& [width, height] : {std::pair{257, 243}, {1000, 760}, {400, 768}, {100, 50}, {600, 500}}) {
            ASSERT_TRUE(kit::synthesize_resize(window, width, height));
            shows(std::max(width, 256), std::max(height, 242));
        }
        window->SetFullScreen(true);  // (the dummy driver's screen is 1024 x 768)
        EXPECT_TRUE(kit_test::eventually([&] { return kit::window_geometry(window).width == 1024; }));
        shows(1024, 768);
        EXPECT_FALSE(kit::synthesize_resize(window, 300, 300)) << "a full screen is not resized";
        window->SetFullScreen(false);
        EXPECT_TRUE(kit_test::eventually([&] { return kit::window_geometry(window).width == 600; }));
        shows(600, 500);
        self.End();
    }, [](kit_test::MenuWindow& window) {
        window.SetPixelScale(9);  // kept from 1 to 8
        EXPECT_EQ(window.PixelScale(), 8);
        window.SetPixelScale(0);
        EXPECT_EQ(window.PixelScale(), 1);
        window.SetPixelScale(2);
    });
    ASSERT_EQ(app.Run(), B_OK);
}

// The screen's density as a whole scale: its bounds, and nonsense as unknown.
TEST(WindowLayout, DensityScaleRoundsToTheNearestWholeScale) {
    const struct {
        float dpi;
        int scale;
    } rows[] = {{std::nanf(""), 1}, {-5, 1}, {0, 1}, {96, 1}, {143.9f, 1}, {144, 2}, {192, 2},
                {239.9f, 2}, {240, 3}, {1e9f, 16}};
    for (const auto& r : rows) EXPECT_EQ(kit::density_scale(r.dpi), r.scale) << r.dpi;
}

// Layers listed back to front: a layer is hidden only when wholly inside an
// opaque layer in front of it; edges that meet count as inside.
TEST(WindowLayout, OnlyLayersWhollyBehindAnOpaqueOneAreHidden) {
    using Layers = std::vector<kit::Layer>;
    const Box panel{10, 20, 100, 50};
    const struct {
        const char* what;
        Layers layers;
        std::vector<bool> hidden;
    } rows[] = {
        {"nothing", {}, {}},
        {"one alone", {{panel, true}}, {false}},
        {"the same place", {{panel, true}, {panel, true}}, {true, false}},
        {"inside, edges met", {{{10, 20, 100, 1}, false}, {panel, true}}, {true, false}},
        {"a pixel out on the right", {{{11, 20, 100, 50}, true}, {panel, true}}, {false, false}},
        {"a pixel out at the bottom", {{{10, 21, 100, 50}, true}, {panel, true}}, {false, false}},
        {"a pixel out at the top left", {{{9, 19, 10, 10}, true}, {panel, true}}, {false, false}},
        {"in front of the larger one", {{panel, true}, {{20, 30, 10, 10}, true}}, {false, false}},
        {"behind a see-through one", {{{20, 30, 10, 10}, true}, {panel, false}}, {false, false}},
        {"behind two, the far one opaque", {{{20, 30, 10, 10}, false}, {panel, true}, {panel, false}},
         {true, false, false}},
        {"all under the last", {{{0, 0, 5, 5}, true}, {{5, 5, 5, 5}, false}, {{0, 0, 10, 10}, true}},
         {true, true, false}},
    };
    for (const auto& r : rows) EXPECT_EQ(kit::hidden_layers(r.layers), r.hidden) << r.what;
}
