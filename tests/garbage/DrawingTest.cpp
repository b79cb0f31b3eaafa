// The pixel-snapped circle outline and the primitives' behaviour without a GL context.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "drawing.h"

namespace {

TEST(Drawing, FourSegmentCircleIsTheDiamond) {
    const std::array<std::array<float, 4>, 4> expected = {{
        {10, 0, 0, 10},
        {0, 10, -10, 0},
        {-10, 0, 0, -10},
        {0, -10, 10, 0},
    }};
    for (int i = 0; i < 4; ++i) {
        const auto seg = CircleSegment(i, 4, 0, 0, 10, 10);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(seg[k], expected[i][k]) << "segment " << i << " coordinate " << k;
        // Snapping must give whole pixels, and +0/-0 must not matter to the caller.
        for (float v : seg)
            EXPECT_EQ(v, std::nearbyint(v));
    }
}

TEST(Drawing, CircleSegmentsSnapHalvesToEvenAndCloseTheOutline) {
    // Radius 2.5 at angle 0 lies at x = 2.5: halves go to the even neighbour, 2, not 3.
    EXPECT_EQ(CircleSegment(0, 4, 0, 0, 2.5f, 2.5f)[0], 2.0f);
    EXPECT_EQ(CircleSegment(0, 4, 1, 0, 2.5f, 2.5f)[0], 4.0f);  // 3.5 goes to 4
    // An ellipse: x uses rx, y uses ry, and the last segment ends where the first began.
    const int n = 36;
    const auto first = CircleSegment(0, n, 0, 64, 42, 16);
    const auto last = CircleSegment(n - 1, n, 0, 64, 42, 16);
    EXPECT_EQ(first[0], 42);
    EXPECT_EQ(first[1], 64);
    EXPECT_EQ(last[2], first[0]);
    EXPECT_EQ(last[3], first[1]);
    // The quarter point runs toward growing y: segment 9 of 36 starts at (0, 64 + 16).
    const auto quarter = CircleSegment(9, n, 0, 64, 42, 16);
    EXPECT_EQ(quarter[0], 0);
    EXPECT_EQ(quarter[1], 80);
    for (int i = 0; i + 1 < n; ++i)
        EXPECT_EQ(CircleSegment(i, n, 0, 64, 42, 16)[2], CircleSegment(i + 1, n, 0, 64, 42, 16)[0])
            << "gap after segment " << i;
}

TEST(Drawing, PrimitivesDoNothingWithoutAContext) {
    // The rules' tests and headless runs call drawing code with no GL context at all.
    DrawDisk(1, 2, 3);  // no quadric yet
    DrawCircle(0, 0, 0, 5, 5);
    DrawCircle(-3, 0, 0, 5, 5);
    FreeDiskQuadric();
    SUCCEED();
}

}  // namespace
