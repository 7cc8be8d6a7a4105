// The bar's message: shown for a few seconds, or until the next one.
#include <gtest/gtest.h>

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

}  // namespace
