// The average frame rate: whole microseconds per frame, then 1000000.0 over it.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "emulation.h"

TEST(FrameRate, ReportUsesTheTruncatedFrameTime) {
    EXPECT_EQ(fpsReport(10'000'000, 500), "Average fps : 50.000000\n");
    EXPECT_EQ(fpsReport(10'000'000, 600), "Average fps : 60.002400\n");  // 16666 us a frame
    EXPECT_EQ(fpsReport(10'000'000, 599), "Average fps : 59.901761\n");  // 16694 us a frame
    EXPECT_EQ(fpsReport(10'000'000, 0), "");
}

TEST(FrameRate, FigureIsTruncatedTowardZero) {
    EXPECT_EQ(fpsFigure(10'000'000, 600), 60);
    EXPECT_EQ(fpsFigure(10'000'000, 599), 59);
    EXPECT_EQ(fpsFigure(0, 0), 0);
    EXPECT_EQ(fpsFigure(1'000'000, 1), 1);
}

TEST(FrameRate, FramesUnderAMicrosecondDoNotOverflow) {
    EXPECT_TRUE(std::isinf(averageFps(5, 10)));
    EXPECT_EQ(fpsFigure(5, 10), INT32_MAX);
    EXPECT_EQ(fpsFigure(1'000'000, 1'000'000), 1'000'000);
}
