// The menus as drawn in the real program's window, over the dummy video
// driver, at window scales 1 to 3: every submenu opens beside the menu it
// belongs to and never covers that menu's items; Escape closes open menus.
#include <sstream>

#include "launch_options.h"
#include "menu_geometry.h"
#include "shell_fixture.h"
#include "synthetic_input.h"
#include "window_capture.h"

namespace {

using kit::MenuBox;
using kit::MenuGeometry;

// Pointer moves and clicks through the kit, each followed by drawn frames.
class Pointer {
public:
    explicit Pointer(BWindow* window) : fWindow(window) {}
    ~Pointer() { kit::release_pointer(fWindow); }

    void Frames(int count) {
        kit::WindowCapture capture;
        for (int i = 0; i < count; ++i) kit::capture_window(fWindow, capture);
    }
    void MoveTo(const MenuBox& box) {
        kit::synthesize_pointer(fWindow, (box.left + box.right) / 2, (box.top + box.bottom) / 2, false);
        Frames(4);
    }
    void Click(const MenuBox& box) {
        MoveTo(box);
        kit::synthesize_pointer(fWindow, (box.left + box.right) / 2, (box.top + box.bottom) / 2, true);
        Frames(2);
        kit::synthesize_pointer(fWindow, (box.left + box.right) / 2, (box.top + box.bottom) / 2, false);
        Frames(4);
    }

private:
    BWindow* fWindow;
};

std::string describe(const MenuGeometry& g) {
    std::ostringstream out;
    for (size_t i = 0; i < g.menus.size(); ++i) {
        const auto& m = g.menus[i];
        out << i << " \"" << m.title << "\" from " << m.parent << ": " << m.frame.left << "," << m.frame.top
            << " - " << m.frame.right << "," << m.frame.bottom << "\n";
        for (size_t k = 0; k < m.items.size(); ++k)
            out << "    " << m.labels[k] << ": " << m.items[k].left << "," << m.items[k].top << " - "
                << m.items[k].right << "," << m.items[k].bottom << "\n";
    }
    return out.str();
}

int find(const std::vector<std::string>& labels, const std::string& label) {
    for (size_t i = 0; i < labels.size(); ++i)
        if (labels[i] == label) return static_cast<int>(i);
    return -1;
}

// Opens the menu path (a title, then item labels) and returns the geometry
// with every menu of the path open.
MenuGeometry OpenPath(BWindow* window, Pointer& pointer, const std::vector<std::string>& path) {
    MenuGeometry g = kit::menu_geometry(window);
    const int title = find(g.titleLabels, path.front());
    EXPECT_GE(title, 0) << path.front();
    if (title < 0) return g;
    pointer.Click(g.titles[title]);
    for (size_t step = 1; step < path.size(); ++step) {
        g = kit::menu_geometry(window);
        if (g.menus.size() != step) {
            ADD_FAILURE() << "menu " << path[step - 1] << " is not open\n" << describe(g);
            return g;
        }
        const int item = find(g.menus.back().labels, path[step]);
        EXPECT_GE(item, 0) << path[step];
        if (item < 0) return g;
        pointer.MoveTo(g.menus.back().items[item]);
    }
    g = kit::menu_geometry(window);
    EXPECT_EQ(g.menus.size(), path.size()) << describe(g);
    return g;
}

void ExpectBesideTheirParents(const MenuGeometry& g, float width, float height) {
    for (size_t i = 0; i < g.menus.size(); ++i) {
        const auto& menu = g.menus[i];
        EXPECT_GE(menu.frame.left, 0) << describe(g);
        EXPECT_LE(menu.frame.right, width) << describe(g);
        EXPECT_LE(menu.frame.bottom, height) << describe(g);
        if (menu.parent < 0) continue;
        const auto& parent = g.menus[menu.parent];
        for (size_t k = 0; k < parent.items.size(); ++k)
            EXPECT_FALSE(menu.frame.Intersects(parent.items[k]))
                << "\"" << menu.title << "\" covers \"" << parent.labels[k] << "\" of \"" << parent.title
                << "\"\n" << describe(g);
    }
}

const std::vector<std::vector<std::string>> kSubmenuPaths = {
    {"File", "Load state"},
    {"File", "Save state"},
    {"Emulation", "Speed"},
    {"Controller", "Keyboard configuration", "Start"},
    {"Controller", "Keyboard configuration", "Select"},
    {"Controller", "Keyboard configuration", "Button A"},
    {"Controller", "Keyboard configuration", "Button B"},
};

class MenuGeometryTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        resetShellState();
        options.scale = GetParam();
    }
    void TearDown() override { releaseSurface(); }

    FakeMachine fake;
    LaunchOptions options;
};

TEST_P(MenuGeometryTest, SubmenusOpenBesideTheMenuTheyBelongTo) {
    {
        DrivenApp app(fake, options, [&](DrivenApp& self) {
            BWindow* window = self.fMainWindow;
            window->PostMessage(kCmdBoot);  // enables the state submenus
            Pointer pointer(window);
            pointer.Frames(3);
            const BRect frame = window->Frame();
            for (const auto& path : kSubmenuPaths) {
                SCOPED_TRACE(path.back());
                const MenuGeometry g = OpenPath(window, pointer, path);
                ExpectBesideTheirParents(g, frame.IntegerWidth() + 1, frame.IntegerHeight() + 1);
                kit::synthesize_key(41, true);  // Escape
                kit::synthesize_key(41, false);
                pointer.Frames(3);
                EXPECT_TRUE(kit::menu_geometry(window).menus.empty()) << "Escape left menus open";
            }
            kit::synthesize_close(window);
        });
        ASSERT_EQ(app.Run(), B_OK);
    }
}

TEST_P(MenuGeometryTest, ChoicesInSubmenusSendTheirCommandsAndCloseTheMenus) {
    uint8_t startKey = 0;
    uint32_t period = 1;
    bool closed = false;
    {
        DrivenApp app(fake, options, [&](DrivenApp& self) {
            BWindow* window = self.fMainWindow;
            Pointer pointer(window);
            pointer.Frames(3);
            MenuGeometry g = OpenPath(window, pointer, {"Controller", "Keyboard configuration", "Start"});
            if (g.menus.size() == 3) {
                const int c = find(g.menus[2].labels, "C");
                if (c >= 0) pointer.Click(g.menus[2].items[c]);
                pointer.Frames(3);
                closed = kit::menu_geometry(window).menus.empty();
            }
            // Past the other items of a menu into a submenu, then a choice there.
            g = OpenPath(window, pointer, {"Emulation", "Speed"});
            if (g.menus.size() == 2) {
                const int unlimited = find(g.menus[1].labels, "Unlimited fps");
                if (unlimited >= 0) pointer.Click(g.menus[1].items[unlimited]);
            }
            window->Lock();
            startKey = keyboardConfig[0];
            period = newSnoozeTime.load();
            window->Unlock();
            kit::synthesize_close(window);
        });
        ASSERT_EQ(app.Run(), B_OK);
    }
    EXPECT_EQ(startKey, 0x4E);  // "C"
    EXPECT_TRUE(closed);
    EXPECT_EQ(period, framePeriod(Speed::Unlimited));
}

// Resized by hand and full screen: the four menus stay in the menu bar, in
// the window, and their submenus still open beside their menus.
TEST_P(MenuGeometryTest, TheMenuBarStaysUsableAtEverySizeAndInFullScreen) {
    DrivenApp app(fake, options, [&](DrivenApp& self) {
        BWindow* window = self.fMainWindow;
        Pointer pointer(window);
        const auto check = [&](const std::string& what) {
            SCOPED_TRACE(what);
            pointer.Frames(3);
            const kit::WindowGeometry shown = kit::window_geometry(window);
            ASSERT_GT(shown.uiScale, 0);
            const float width = static_cast<float>(shown.width) / shown.uiScale;
            const float height = static_cast<float>(shown.height) / shown.uiScale;
            const MenuGeometry g = kit::menu_geometry(window);
            ASSERT_EQ(g.titleLabels, (std::vector<std::string>{"File", "Emulation", "Controller", "About..."}));
            for (const MenuBox& title : g.titles) {
                EXPECT_GE(title.left, 0) << describe(g);
                EXPECT_LE(title.right, width) << describe(g);
                EXPECT_LE(title.bottom, 18.5f) << describe(g);
            }
            const MenuGeometry open = OpenPath(window, pointer, {"Controller", "Keyboard configuration", "Start"});
            ExpectBesideTheirParents(open, width, height);
            kit::synthesize_key(41, true);  // Escape
            kit::synthesize_key(41, false);
            pointer.Frames(3);
        };
        check("opened");
        for (auto [w, h] : {std::pair{256, 242}, {257, 300}, {300, 260}, {520, 490}, {800, 300}, {1024, 768}}) {
            kit::synthesize_resize(window, w, h);
            check(std::to_string(w) + "x" + std::to_string(h));
        }
        window->SetFullScreen(true);
        check("full screen");
        kit::synthesize_close(window);
    });
    ASSERT_EQ(app.Run(), B_OK);
}

INSTANTIATE_TEST_SUITE_P(Scales, MenuGeometryTest, ::testing::Values(1, 2, 3));

}  // namespace
