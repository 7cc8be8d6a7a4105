// Where a submenu opens, as pure geometry: beside its parent when there is
// room, else below or above it, never over it.
#include <gtest/gtest.h>

#include <algorithm>

#include "menu_placement.h"

namespace {

using kit::Area;
using kit::place_submenu;

const Area kDisplay{0, 18, 257, 243};  // a window at scale 1, below its menu bar

Area placed(const kit::SubmenuPlace& p, float width, float height) {
    return {p.x, p.y, p.x + width, p.y + std::min(height, p.maxHeight)};
}
bool overlaps(const Area& a, const Area& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(SubmenuPlacement, RightOfTheParentLevelWithItsItem) {
    const Area parent{1, 18, 147, 153}, item{1, 52, 147, 69};
    const auto p = place_submenu(kDisplay, parent, item, 34, 148, 60);
    EXPECT_EQ(p.x, 147);
    EXPECT_EQ(p.y, 52);
    EXPECT_FALSE(overlaps(placed(p, 34, 148), parent));
}

TEST(SubmenuPlacement, MovedUpToFitButNeverAboveTheDisplay) {
    const Area parent{1, 18, 147, 240}, item{1, 200, 147, 217};
    auto p = place_submenu(kDisplay, parent, item, 34, 100, 60);
    EXPECT_EQ(p.y, 243 - 100);
    p = place_submenu(kDisplay, parent, item, 34, 600, 60);  // taller than the window: scrolls
    EXPECT_EQ(p.y, 18);
    EXPECT_EQ(p.maxHeight, 225);
}

TEST(SubmenuPlacement, LeftOfTheParentWhenTheRightIsTooNarrow) {
    const Area parent{150, 18, 230, 100}, item{150, 40, 230, 57};
    const auto p = place_submenu(kDisplay, parent, item, 120, 60, 60);
    EXPECT_EQ(p.x, 30);
    EXPECT_FALSE(overlaps(placed(p, 120, 60), parent));
}

TEST(SubmenuPlacement, BelowTheParentWhenNeitherSideHasRoom) {
    // A menu in the middle of the window, a submenu wider than either side.
    const Area parent{37, 18, 148, 123}, item{37, 94, 148, 115};
    const auto p = place_submenu(kDisplay, parent, item, 118, 63, 60);
    EXPECT_EQ(p.y, 123);
    EXPECT_EQ(p.x, 257 - 118);  // away from the parent's side, leaving room beside it
    EXPECT_FALSE(overlaps(placed(p, 118, 63), parent));
    EXPECT_LE(p.x + 118, 257);
}

TEST(SubmenuPlacement, BelowAgainstTheLeftEdgeForAParentOnTheRight) {
    const Area parent{76, 18, 257, 81}, item{76, 52, 257, 73};
    const auto p = place_submenu(kDisplay, parent, item, 83, 80, 60);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 81);
    // Its own submenu then fits to its right, over the grandparent only.
    const Area child = placed(p, 83, 80);
    const auto q = place_submenu(kDisplay, child, {0, 81, 83, 98}, 118, 578, 60);
    EXPECT_EQ(q.x, 83);
    EXPECT_FALSE(overlaps(placed(q, 118, 578), child));
}

TEST(SubmenuPlacement, AboveWhenThatShowsMore) {
    const Area parent{60, 200, 200, 240}, item{60, 210, 200, 227};
    const auto p = place_submenu(kDisplay, parent, item, 150, 100, 60);
    EXPECT_EQ(p.y, 100);
    EXPECT_FALSE(overlaps(placed(p, 150, 100), parent));
}

TEST(SubmenuPlacement, AShortSpaceBelowStillServesWhenItHoldsAFewItems) {
    // 62 pixels below, 0 above: the submenu scrolls in what there is.
    const Area parent{60, 18, 200, 181}, item{60, 160, 200, 177};
    const auto p = place_submenu(kDisplay, parent, item, 150, 300, 60);
    EXPECT_EQ(p.y, 181);
    EXPECT_EQ(p.maxHeight, 62);
    EXPECT_FALSE(overlaps(placed(p, 150, 300), parent));
}

TEST(SubmenuPlacement, NoRoomAnywhereKeepsTheTopOfTheParentVisible) {
    const Area parent{10, 18, 247, 240}, item{10, 30, 247, 47};
    const auto p = place_submenu(kDisplay, parent, item, 120, 100, 60);
    EXPECT_EQ(p.x, 257 - 120);
    EXPECT_EQ(p.y, 243 - 100);
}

}  // namespace
