// The panels' places as settings text: what is written reads back the same,
// and a text that is not a layout changes nothing.
#include <gtest/gtest.h>

#include "layout.h"

namespace {

using namespace workbench;

TEST(WorkbenchLayout, WrittenReadsBackAndBadTextChangesNothing) {
    Layout moved = defaultLayout();
    moved.panels[kGraphicsPanel] = {true, 10, 20, 300, 400};
    moved.panels[kCpuPanel].open = false;
    moved.window = {true, 1300, 40, 1960, 1400};
    Layout read = defaultLayout();
    ASSERT_TRUE(parseLayout(formatLayout(moved), read));
    EXPECT_EQ(read, moved);

    const std::pair<const char*, bool> cases[] = {
        {"memory 0 1 2 3 4", true},  // the panels not named keep their places
        {"", true},
        {"memory 0 1 2 3", false},
        {"memory 2 1 2 3 4", false},
        {"memory 0 -1 2 3 4", false},
        {"memory 0 1 2 3 10001", false},
        {"memory 0 1 2 3 4, memory 1 1 2 3 4", false},
        {"registers 1 1 2 3 4", false},
        {"memory 0 1 2 3 4 5", false},
        {"window 1 10 20 980 700", true},
        {"window 1 10 20 980 700, window 1 10 20 980 700", false},
    };
    for (const auto& [text, good] : cases) {
        Layout layout = moved;
        EXPECT_EQ(parseLayout(text, layout), good) << text;
        if (!good) EXPECT_EQ(layout, moved) << text;
    }
    Layout layout = moved;
    ASSERT_TRUE(parseLayout("memory 0 1 2 3 4", layout));
    EXPECT_EQ(layout.panels[kMemoryPanel], (PanelPlace{false, 1, 2, 3, 4}));
    EXPECT_EQ(layout.panels[kGraphicsPanel], moved.panels[kGraphicsPanel]);
}

}  // namespace
