// The bar's message: shown for a few seconds, or until the next one. A
// view's Back and Forward through the places gone to.
#include <gtest/gtest.h>

#include "navigation.h"
#include "notice.h"

namespace {

TEST(WorkbenchNotice, ShownUntilItExpiresOrIsReplaced) {
    const struct {
        double at;
        const char* given;  // null: nothing given at that time
        const char* shown;
    } rows[] = {
        {10.0, "Paused at 0x000400", "Paused at 0x000400"},
        {14.9, nullptr, "Paused at 0x000400"},
        {15.0, nullptr, ""},
        {20.0, "Breakpoint at 0x000500", "Breakpoint at 0x000500"},
        {21.0, "", ""},  // the next command, with no outcome of its own
        {22.0, "Running", "Running"},
        {23.0, "Stopped at 0x000502", "Stopped at 0x000502"},
        {27.9, nullptr, "Stopped at 0x000502"},
    };
    workbench::Notice notice;
    for (const auto& row : rows) {
        if (row.given) notice.give(row.given, row.at);
        EXPECT_EQ(notice.shown(row.at), row.shown) << "at " << row.at;
    }
}

TEST(WorkbenchNavigation, BackAndForwardThroughThePlacesGoneTo) {
    workbench::Navigation places;
    places.go(0x100, 0x200);
    places.go(0x210, 0x300);
    const struct {
        char step;  // b back, f forward, g go to `target`
        uint32_t from, target;
        std::optional<uint32_t> to;
    } rows[] = {
        {'b', 0x300, 0, 0x210}, {'b', 0x210, 0, 0x100}, {'b', 0x100, 0, std::nullopt},
        {'f', 0x100, 0, 0x210}, {'f', 0x210, 0, 0x300}, {'f', 0x300, 0, std::nullopt},
        {'b', 0x300, 0, 0x210}, {'g', 0x210, 0x400, 0x400}, {'f', 0x400, 0, std::nullopt},  // a go forgets forward
        {'b', 0x400, 0, 0x210},
    };
    for (const auto& r : rows) {
        std::optional<uint32_t> to = r.target;
        if (r.step == 'g') places.go(r.from, r.target);
        else to = r.step == 'b' ? places.back(r.from) : places.forward(r.from);
        EXPECT_EQ(to, r.to) << r.step << " from " << std::hex << r.from;
    }
}

}  // namespace
