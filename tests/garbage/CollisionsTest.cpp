// The two overlap tests: strict rectangles, inclusive circles, NaN never inside.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "collisions.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(Collisions, PointInRectIsStrictOnEveryEdge) {
    struct Case {
        const char* fault;
        float px, py, left, top, width, height;
        bool inside;
    };
    const Case cases[] = {
        {"left edge counted inside", 10, 10, 10, 0, 5, 20, false},
        {"point just inside refused", 10.5f, 10, 10, 0, 5, 20, true},
        {"right edge counted inside", 15, 10, 10, 0, 5, 20, false},
        {"top edge counted inside", 12, 0, 10, 0, 5, 20, false},
        {"bottom edge counted inside", 12, 20, 10, 0, 5, 20, false},
        {"point left of the box taken", 9, 10, 10, 0, 5, 20, false},
        {"point below the box taken", 12, 21, 10, 0, 5, 20, false},
        {"a wall zone of a 500 window misses its inside", 20, 300, 0, 0, 32, 600, true},
        {"zone beyond the window's width tested wrongly", 700, 300, 468, 0, 500, 600, true},
        {"NaN x accepted", kNaN, 10, 10, 0, 5, 20, false},
        {"NaN y accepted", 12, kNaN, 10, 0, 5, 20, false},
        {"NaN left accepted", 12, 10, kNaN, 0, 5, 20, false},
        {"NaN height accepted", 12, 10, 10, 0, 5, kNaN, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PointInRect(c.px, c.py, c.left, c.top, c.width, c.height), c.inside) << c.fault;
}

TEST(Collisions, CirclesTouchIsInclusiveAndSquareRootFree) {
    struct Case {
        const char* fault;
        float x1, y1, r1, x2, y2, r2;
        bool touch;
    };
    const Case cases[] = {
        {"just touching refused", 0, 0, 1, 2, 0, 1, true},
        {"a hair apart accepted", 0, 0, 1, 2.001f, 0, 1, false},
        {"diagonal touch (3-4-5) refused", 0, 0, 2, 3, 4, 3, true},
        {"diagonal gap accepted", 0, 0, 2, 3, 4, 2.99f, false},
        {"same centre refused", 5, 5, 0, 5, 5, 0, true},
        {"a point on a circle's rim refused", 137, 440, 0, 100, 440, 37, true},
        {"negative coordinates mishandled", -10, -10, 1, -12, -10, 1, true},
        {"NaN x1 accepted", kNaN, 0, 1, 2, 0, 1, false},
        {"NaN y2 accepted", 0, 0, 1, 2, kNaN, 1, false},
        {"NaN radius accepted", 0, 0, kNaN, 2, 0, 1, false},
        {"NaN second radius accepted", 0, 0, 1, 0, 0, kNaN, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CirclesTouch(c.x1, c.y1, c.r1, c.x2, c.y2, c.r2), c.touch) << c.fault;
}

}  // namespace
