// Geometry edge cases: the rules lean on these conventions everywhere.
#include <gtest/gtest.h>

#include <cmath>

#include "GeomUse.h"

TEST(GeomUse, DistanceOfAPointToItselfIsTheFloor) {
    TVec2 a{3, 4};
    EXPECT_FLOAT_EQ(Distance(a, a), 1e-7f);
    EXPECT_FLOAT_EQ(Distance({0, 0}, {3, 4}), 5.0f);
}

TEST(GeomUse, DirectionAngleCoversEveryQuadrant) {
    struct Case {
        TVec2 a, b;
        float expected;
    } cases[] = {
        {{0, 0}, {1, 0}, 0},    {{0, 0}, {0, 1}, 90},   {{0, 0}, {-1, 0}, 180},
        {{0, 0}, {0, -1}, 270}, {{0, 0}, {1, 1}, 45},   {{0, 0}, {-1, -1}, 225},
        {{2, 2}, {2, 2}, 270},  {{0, 0}, {1, -1}, 315}, {{5, 5}, {4, 6}, 135},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(DirectionAngle(c.a, c.b), c.expected, 1e-4)
            << c.a.x << "," << c.a.y << " -> " << c.b.x << "," << c.b.y;
    }
}

TEST(GeomUse, NormalizeAngleBringsAnglesIntoRange) {
    EXPECT_FLOAT_EQ(NormalizeAngle(-30), 330);
    EXPECT_FLOAT_EQ(NormalizeAngle(725), 5);
    EXPECT_FLOAT_EQ(NormalizeAngle(360), 0);
    EXPECT_FLOAT_EQ(NormalizeAngle(0), 0);
    // Inputs the walk could never finish still end in range.
    for (float f : {1e30f, -1e30f, NAN, INFINITY, -INFINITY}) {
        const float r = NormalizeAngle(f);
        EXPECT_TRUE(r >= 0 && r < 360) << f;
    }
}

TEST(GeomUse, PointLineDistance) {
    EXPECT_FLOAT_EQ(PointLineDistance({0, 0}, {2, 0}, {0, 1}), 1);
    EXPECT_FLOAT_EQ(PointLineDistance({0, 0}, {2, 0}, {5, 0}), 0);
    EXPECT_FLOAT_EQ(PointLineDistance({0, 0}, {2, 2}, {0, 2}), std::sqrt(2.0f));
    // Equal points: the distance to that point instead of NaN.
    EXPECT_FLOAT_EQ(PointLineDistance({1, 1}, {1, 1}, {4, 5}), 5);
}

TEST(GeomUse, VectorsFromAngles) {
    TVec2 v;
    VecFromAngle(v, 90, 2);
    EXPECT_NEAR(v.x, 0, 1e-6);
    EXPECT_FLOAT_EQ(v.y, 2);
    EXPECT_FLOAT_EQ(LenDirX(180, 3), -3);
    EXPECT_NEAR(LenDirY(270, 3), -3, 1e-6);
    // Beyond the processor's range the cosine and sine count as 0.
    EXPECT_EQ(LenDirX(1e30f, 1), 0);
    EXPECT_EQ(LenDirY(-1e30f, 1), 0);
    TVec2 s;
    VecAdd({1, 2}, {3, 4}, s);
    EXPECT_FLOAT_EQ(s.x, 4);
    VecSub({1, 2}, {3, 5}, s);
    EXPECT_FLOAT_EQ(s.y, -3);
}
