// A resizable window over SDL's dummy video driver, at many sizes and full
// screen: what it shows where, read back from what it drew.
#include <gtest/gtest.h>

#include <sstream>

#include "kit_test_app.h"
#include "menu.h"
#include "window_capture.h"

namespace {

using kit::Box;
using kit_test::eventually;

constexpr uint16_t kRed = 0x7C00, kGreen = 0x03E0, kBlue = 0x001F, kWhite = 0x7FFF, kGrey = 0x4210;

// Like the program's window: a menu bar over a 256 x 224 picture that keeps
// its aspect in whole multiples.
class PictureWindow : public BWindow {
public:
    PictureWindow() : BWindow(BRect(100, 100, 355, 341), "Picture", B_TITLED_WINDOW, 0) {
        auto* bar = new BMenuBar(BRect(0, 0, 255, 20), "main");
        auto* file = new BMenu("File");
        file->AddItem(new BMenuItem("Go", new BMessage('go!!')));
        bar->AddItem(file);
        AddChild(bar);
        view = new BView(BRect(0, 0, 255, 223), nullptr, B_FOLLOW_ALL_SIDES, 0);
        AddChild(view);
        view->MoveBy(0, 18);
        view->SetViewColor(0, 0, 0, 255);
        view->SetPictureScaling(B_PICTURE_INTEGER);
    }
    // Grey with a coloured pixel in each corner.
    void DrawPicture() {
        BBitmap bitmap(BRect(0, 0, 255, 223), B_RGB15);
        auto* pixels = static_cast<uint16_t*>(bitmap.Bits());
        for (int i = 0; i < 256 * 224; ++i) pixels[i] = kGrey;
        pixels[0] = kRed;
        pixels[255] = kGreen;
        pixels[223 * 256] = kBlue;
        pixels[223 * 256 + 255] = kWhite;
        Lock();
        view->DrawBitmap(&bitmap);
        Unlock();
    }
    BView* view;
};

using App = kit_test::DrivenApp<PictureWindow>;

uint32_t at(const kit::WindowCapture& capture, int x, int y) {
    return capture.pixels[static_cast<size_t>(y) * capture.width + x] & 0xFFFFFF;
}

// 0x4210 on the screen (SDL widens 5 bits to 8 its own way).
bool grey(uint32_t rgb) {
    const uint32_t red = rgb >> 16, green = rgb >> 8 & 0xFF, blue = rgb & 0xFF;
    return red == green && green == blue && red >= 0x80 && red <= 0x87;
}

std::string describe(const Box& b) {
    std::ostringstream out;
    out << b.left << "," << b.top << " " << b.width << "x" << b.height;
    return out.str();
}

// Draws once more and checks what the window showed: the window's size, the
// picture's corners where the geometry says, black around the picture.
void ExpectPictureShown(BWindow* window, int width, int height, const std::string& what) {
    SCOPED_TRACE(what);
    kit::WindowCapture capture;
    ASSERT_TRUE(kit::capture_window(window, capture));
    const kit::WindowGeometry g = kit::window_geometry(window);
    ASSERT_EQ(capture.width, width);
    ASSERT_EQ(capture.height, height);
    ASSERT_EQ(g.width, width);
    ASSERT_EQ(g.views.size(), 1u);
    const Box area = g.views[0].area, p = g.views[0].picture;
    EXPECT_EQ(area, (Box{0, g.menuBarHeight, width, height - g.menuBarHeight}));
    // A whole multiple of the picture, the largest that fits, centred.
    const int multiple = p.width / 256;
    ASSERT_GE(multiple, 1) << describe(p);
    EXPECT_EQ(p.width, 256 * multiple) << describe(p);
    EXPECT_EQ(p.height, 224 * multiple) << describe(p);
    EXPECT_TRUE(256 * (multiple + 1) > area.width || 224 * (multiple + 1) > area.height) << describe(p);
    EXPECT_LE(std::abs((p.left - area.left) - (area.Right() - p.Right())), 1) << describe(p);
    EXPECT_LE(std::abs((p.top - area.top) - (area.Bottom() - p.Bottom())), 1) << describe(p);
    // Each corner's pixel covers multiple x multiple screen pixels.
    for (int d = 0; d < multiple; ++d) {
        EXPECT_EQ(at(capture, p.left + d, p.top + d), 0xFF0000u);
        EXPECT_EQ(at(capture, p.Right() - 1 - d, p.top + d), 0x00FF00u);
        EXPECT_EQ(at(capture, p.left + d, p.Bottom() - 1 - d), 0x0000FFu);
        EXPECT_EQ(at(capture, p.Right() - 1 - d, p.Bottom() - 1 - d), 0xFFFFFFu);
    }
    EXPECT_TRUE(grey(at(capture, p.left + multiple, p.top + multiple)));
    // Black borders, nothing else, around the picture.
    if (p.left > 0) EXPECT_EQ(at(capture, p.left - 1, p.top + p.height / 2), 0u);
    if (p.Right() < width) EXPECT_EQ(at(capture, p.Right(), p.top + p.height / 2), 0u);
    if (p.top > area.top) EXPECT_EQ(at(capture, p.left + p.width / 2, p.top - 1), 0u);
    if (p.Bottom() < height) EXPECT_EQ(at(capture, p.left + p.width / 2, p.Bottom()), 0u);
    // The menu bar above the picture area.
    EXPECT_NE(at(capture, width - 2, g.menuBarHeight / 2), 0u);
}

TEST(WindowSizes, ThePictureKeepsItsAspectInWholeMultiplesAtEverySize) {
    App app([](App& self) {
        self.window->DrawPicture();
        ExpectPictureShown(self.window, 256, 242, "opened at scale 1");
        // (The dummy driver's screen is 1024 x 768: no window is larger.)
        for (auto [width, height] : {std::pair{257, 243}, {300, 280}, {511, 484}, {512, 484}, {513, 485},
                                     {700, 500}, {1000, 760}, {1024, 480}, {400, 768}}) {
            ASSERT_TRUE(kit::synthesize_resize(self.window, width, height));
            ExpectPictureShown(self.window, width, height, std::to_string(width) + "x" + std::to_string(height));
        }
        // Never smaller than the window's frame.
        ASSERT_TRUE(kit::synthesize_resize(self.window, 100, 50));
        ExpectPictureShown(self.window, 256, 242, "below the smallest size");
        self.End();
    });
    ASSERT_EQ(app.Run(), B_OK);
}

TEST(WindowSizes, OpenedAtAScaleThePictureFillsTheWindowWithNoSpareRowOrColumn) {
    for (int scale = 1; scale <= 3; ++scale) {
        App app([scale](App& self) {
            self.window->DrawPicture();
            kit::WindowCapture capture;
            ASSERT_TRUE(kit::capture_window(self.window, capture));
            ASSERT_EQ(capture.width, 256 * scale);
            ASSERT_EQ(capture.height, 242 * scale);
            const kit::WindowGeometry g = kit::window_geometry(self.window);
            EXPECT_EQ(g.uiScale, scale);
            EXPECT_EQ(g.menuBarHeight, 18 * scale);
            EXPECT_EQ(g.views[0].picture, (Box{0, 18 * scale, 256 * scale, 224 * scale}));
            // The last row and column of the window are the picture's.
            for (int x = 0; x < capture.width; ++x)
                ASSERT_NE(at(capture, x, capture.height - 1), 0u) << "scale " << scale << ", column " << x;
            for (int y = 18 * scale; y < capture.height; ++y)
                ASSERT_NE(at(capture, capture.width - 1, y), 0u) << "scale " << scale << ", row " << y;
            self.End();
        });
        app.beforeShow = [scale](PictureWindow& window) { window.SetPixelScale(scale); };
        ASSERT_EQ(app.Run(), B_OK);
    }
}

TEST(WindowSizes, FullScreenFillsTheScreenAndLeavingItGivesTheSizeBack) {
    App app([](App& self) {
        self.window->DrawPicture();
        ASSERT_TRUE(kit::synthesize_resize(self.window, 600, 500));
        ExpectPictureShown(self.window, 600, 500, "windowed");
        self.window->SetFullScreen(true);
        kit::WindowCapture capture;
        ASSERT_TRUE(eventually([&] {
            return kit::capture_window(self.window, capture) && kit::window_geometry(self.window).fullScreen;
        }));
        const kit::WindowGeometry g = kit::window_geometry(self.window);
        EXPECT_GT(g.width * g.height, 600 * 500) << g.width << "x" << g.height;
        ExpectPictureShown(self.window, g.width, g.height, "full screen");
        EXPECT_FALSE(kit::synthesize_resize(self.window, 300, 300)) << "a full screen is not resized";
        self.window->SetFullScreen(false);
        ASSERT_TRUE(eventually([&] {
            return kit::capture_window(self.window, capture) && !kit::window_geometry(self.window).fullScreen;
        }));
        ExpectPictureShown(self.window, 600, 500, "windowed again");
        self.End();
    });
    ASSERT_EQ(app.Run(), B_OK);
}

TEST(WindowSizes, StartedFullScreen) {
    App app([](App& self) {
        self.window->DrawPicture();
        kit::WindowCapture capture;
        ASSERT_TRUE(kit::capture_window(self.window, capture));
        const kit::WindowGeometry g = kit::window_geometry(self.window);
        EXPECT_TRUE(g.fullScreen);
        ExpectPictureShown(self.window, g.width, g.height, "full screen from the start");
        self.window->SetFullScreen(false);
        ASSERT_TRUE(eventually([&] {
            return kit::capture_window(self.window, capture) && !kit::window_geometry(self.window).fullScreen;
        }));
        ExpectPictureShown(self.window, 512, 484, "the window's own size at scale 2");
        self.End();
    });
    app.beforeShow = [](PictureWindow& window) {
        window.SetPixelScale(2);
        window.SetFullScreen(true);
    };
    ASSERT_EQ(app.Run(), B_OK);
}

TEST(WindowSizes, TheTitleBarShowsTheTitleLastSet) {
    App app([](App& self) {
        kit::WindowCapture capture;
        ASSERT_TRUE(kit::capture_window(self.window, capture));
        EXPECT_EQ(kit::window_geometry(self.window).title, "Picture");
        self.window->SetTitle("Picture - Paused");
        EXPECT_EQ(self.window->Title(), "Picture - Paused");
        ASSERT_TRUE(kit::capture_window(self.window, capture));
        EXPECT_EQ(kit::window_geometry(self.window).title, "Picture - Paused");
        self.End();
    });
    ASSERT_EQ(app.Run(), B_OK);
}

}  // namespace
